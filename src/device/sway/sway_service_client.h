// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// One Sway input (a pointer or touchpad) as a HID service, its HID keys translated to and from
// Sway's libinput settings with the mapping every libinput desktop shares. One object per
// device for as long as Sway lists it; a device that leaves and comes back, or that Sway
// resets with a config reload, is a new one.

#include "device/hid_event_system.h"
#include "device/service_directory.h"
#include "device/service_removal.h"

#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace veloquill::sway {

class SwaySession;

struct SwaySettings
{
    double speed = 0;
    bool flat = false;
    friend bool operator==(const SwaySettings&, const SwaySettings&) = default;
};

// What this program last wrote; nothing for a setting never written.
struct SwayWritten
{
    std::optional<double> speed;
    std::optional<bool> flat;
    friend bool operator==(const SwayWritten&, const SwayWritten&) = default;
};

struct SwayDeviceFacts
{
    QString identifier;
    QString name;
    std::uint32_t vendor = 0;
    std::uint32_t product = 0;
    SwaySettings current;
    // A pointer or touchpad with an acceleration speed; nothing for any other input.
    static std::optional<SwayDeviceFacts> fromInput(const QJsonObject& input);
};

class SwayServiceClient : public ListedService,
                          public std::enable_shared_from_this<SwayServiceClient>
{
public:
    SwayServiceClient(std::weak_ptr<SwaySession> session, SwayDeviceFacts facts,
                      std::uint64_t registryID);

    // Settings come from what Sway last said the device holds (listed, or an input event).
    HidPropertyValue copyProperty(const QString& key) const override;
    // Each command sent records the originals and the value in the journal beforehand; one
    // Sway refuses is taken back from that record.
    void setProperty(const QString& key, const HidPropertyValue& value) override;
    // Puts back each setting that still holds this program's last write, waiting for Sway's
    // answers until the session's restore deadline.
    HidRestoreOutcome restoreFirstSeen() override;
    bool conformsTo(std::uint32_t usagePage, std::uint32_t usage) const override;
    HidRegistration registerRemovalCallback(HidServiceCallback callback) override;
    QString describe() const override;
    std::optional<PointerCurveModel> curveModel() const override
    {
        return PointerCurveModel{PointerCurveModel::Kind::Libinput};
    }
    std::uint64_t registryID() const override { return m_registryID; }

    const SwayDeviceFacts& facts() const { return m_facts; }
    const SwaySettings& firstSeen() const { return m_firstSeen; }
    const SwayWritten& written() const { return m_written; }
    // Whether its identifier can be put in a command at all.
    bool writable() const { return m_quoted.has_value(); }

    // Used by the session on the main loop.
    void adoptOriginals(const SwaySettings& originals, const SwayWritten& written);
    // Sway says the device now holds these.
    void hold(const SwaySettings& settings);
    void leave();

private:
    std::shared_ptr<SwaySession> presentSession() const;
    void write(SwaySession& session, std::optional<double> speed, std::optional<bool> flat);

    std::weak_ptr<SwaySession> m_session;
    SwayDeviceFacts m_facts;
    std::optional<QString> m_quoted;
    std::uint64_t m_registryID;
    SwaySettings m_firstSeen;
    SwaySettings m_held;
    SwayWritten m_written;
    bool m_changed = false;
    ServiceRemoval m_removal;
};

} // namespace veloquill::sway
