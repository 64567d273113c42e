// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A device of a libinput desktop (KWin, GNOME, Sway) as a HID service: the one place where the
// layer's HID keys (a 16.16 resolution, three acceleration keys) become libinput's speed and
// profile and back, with the same refusals for every such desktop. A backend's service says
// what the desktop holds and carries typed writes over its own transport.

#include "device/libinput_device_model.h"
#include "device/service_directory.h"
#include "device/service_removal.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace veloquill {

// What a device is, as the desktop names it.
struct LibinputIdentity
{
    QString name;
    std::uint32_t vendor = 0;
    std::uint32_t product = 0;
    std::optional<QString> serialNumber;
};

class LibinputService : public ListedService, public std::enable_shared_from_this<LibinputService>
{
public:
    // Identity keys answer even once the device has left; settings only while the desktop can
    // be asked.
    HidPropertyValue copyProperty(const QString& key) const final;
    // Refuses, with one line, a key the desktop has no setting for and a value that is none of
    // the key's; a null value puts the setting back as it was before this program wrote it.
    void setProperty(const QString& key, const HidPropertyValue& value) final;
    bool isWritable(const QString& key) const final;
    // Every listed device is a generic desktop pointer (1/1) and mouse (1/2).
    bool conformsTo(std::uint32_t usagePage, std::uint32_t usage) const final;
    HidRegistration registerRemovalCallback(HidServiceCallback callback) final;
    // libinput's profiles at the speed written.
    std::optional<PointerCurveModel> curveModel() const final
    {
        return PointerCurveModel{PointerCurveModel::Kind::Libinput};
    }
    std::uint64_t registryID() const final { return m_registryID; }
    // The name the desktop lists it under (an event node, Sway's identifier).
    virtual QString listedName() const = 0;
    // The desktop no longer lists it: each removal callback runs.
    void leave();

protected:
    // `logPrefix` begins its log lines; "<desktop> does not let it be set" refuses other keys.
    LibinputService(std::uint64_t registryID, QString logPrefix, QString desktop);
    bool hasLeft() const { return m_removal.left(); }

    virtual LibinputIdentity identity() const = 0;
    // Whether the desktop can be asked now (and the device is still listed).
    virtual bool reachable() const = 0;
    // Whether a write can be sent now; one line said so already when it cannot.
    virtual bool acceptsWrites() const { return reachable(); }
    // What the device holds, as far as the desktop says; asked only while reachable.
    virtual libinput::Values current() const = 0;
    virtual libinput::Values defaults() const { return {}; }
    // Writes; nothing puts the setting back as it was before this program wrote it. Why the
    // desktop cannot take it, or empty when it was sent.
    virtual QString writeSpeed(std::optional<double> speed) = 0;
    virtual QString writeProfile(std::optional<bool> flat) = 0;
    // False while an administrator's lock keeps the setting as it is.
    virtual bool speedWritable() const { return true; }
    virtual bool profileWritable() const { return true; }

private:
    std::uint64_t m_registryID;
    QString m_logPrefix;
    QString m_desktop;
    ServiceRemoval m_removal;
};

} // namespace veloquill
