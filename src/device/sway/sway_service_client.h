// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// One Sway input (a pointer or touchpad), its libinput settings read from Sway's listing and
// events and written with IPC commands. One object per device for as long as Sway lists it; a
// device that leaves and comes back, or that Sway resets with a config reload, is a new one.

#include "device/libinput_service.h"
#include "device/libinput_session_journal.h"
#include "device/paced_writes.h"

#include <QJsonObject>

#include <cstdint>
#include <memory>
#include <optional>

namespace veloquill::sway {

class SwaySession;

struct SwayDeviceFacts
{
    QString identifier;
    LibinputIdentity identity; // Sway names no event node, so no serial number
    libinput::Settings current;
    // A pointer or touchpad with an acceleration speed; nothing for any other input.
    static std::optional<SwayDeviceFacts> fromInput(const QJsonObject& input);
};

class SwayServiceClient : public LibinputService
{
public:
    SwayServiceClient(std::weak_ptr<SwaySession> session, SwayDeviceFacts facts,
                      std::uint64_t registryID);

    // Puts back each setting that still holds this program's last write, waiting for Sway's
    // answers until the session's restore deadline.
    HidRestoreOutcome restoreFirstSeen() override;
    QString describe() const override;
    QString listedName() const override { return m_facts.identifier; }
    JournalDevice journalIdentity() const;

    const SwayDeviceFacts& facts() const { return m_facts; }
    libinput::DeviceModel& model() { return m_model; }
    // Whether its identifier can be put in a command at all.
    bool writable() const { return m_quoted.has_value(); }

protected:
    LibinputIdentity identity() const override { return m_facts.identity; }
    bool reachable() const override { return presentSession() != nullptr; }
    // One line said so when it was listed.
    bool acceptsWrites() const override { return reachable() && m_quoted; }
    // What Sway last said the device holds (listed, or an input event).
    libinput::Values current() const override { return m_model.heldValues(); }
    // Each command sent records the originals and the value in the journal beforehand; one
    // Sway refuses is taken back from that record.
    QString writeSpeed(std::optional<double> speed) override;
    QString writeProfile(std::optional<bool> flat) override;

private:
    std::shared_ptr<SwaySession> presentSession() const;
    void send(const libinput::Values& value);
    QString command(const libinput::Values& value) const;

    std::weak_ptr<SwaySession> m_session;
    SwayDeviceFacts m_facts;
    std::optional<QString> m_quoted;
    libinput::DeviceModel m_model;
    libinput::PacedWrites m_writes;
};

} // namespace veloquill::sway
