// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// One Sway input (a pointer or touchpad), its libinput settings read from Sway's listing and
// events and written with IPC commands. One object per device for as long as Sway lists it; a
// device that leaves and comes back, or that Sway resets with a config reload, is a new one.

#include "device/journaled_libinput_service.h"

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

// Sway matches a device's settings by its identifier, made of vendor, product and name: the
// journal names it by those, as it does KWin's.
JournalDevice identityOf(const SwayDeviceFacts& facts);

class SwayDevice : public libinput::JournaledLibinputService<SwaySession, SwayDeviceFacts>
{
public:
    SwayDevice(std::weak_ptr<SwaySession> session, SwayDeviceFacts facts, std::uint64_t registryID);

    QString describe() const override;
    QString listedName() const override { return m_facts.identifier; }
    // Whether its identifier can be put in a command at all.
    bool writable() const { return m_quoted.has_value(); }

protected:
    // One line said so when it was listed.
    bool acceptsWrites() const override { return reachable() && m_quoted; }
    // What Sway last said the device holds (listed, or an input event).
    libinput::Values current() const override { return m_model.heldValues(); }
    void transmit(SwaySession& session, const libinput::Values& write, Answered answered) override;

private:
    QString command(const libinput::Values& value) const;

    std::optional<QString> m_quoted;
};

} // namespace veloquill::sway
