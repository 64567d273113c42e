// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// One XInput slave pointer as a backend device. One object per device for as long as the device
// is present; a device that leaves and comes back (or is disabled and enabled) is a new one.

#include "device/backend_device.h"
#include "device/x11/x11_device_mapping.h"

#include <cstdint>
#include <memory>

namespace veloquill::x11 {

class X11Session;

class X11Device : public BackendDevice, public std::enable_shared_from_this<X11Device>
{
public:
    X11Device(std::weak_ptr<X11Session> session, X11DeviceFacts facts, std::uint64_t registryID);

    // Once the device is gone only its identity answers, as last read.
    DeviceIdentity deviceIdentity() const override;
    PointerSettings settings() const override;
    PointerSettings defaultSettings() const override;
    // The first write that changes the device records its originals in the session's
    // journal beforehand.
    void setGain(double gain) override;
    void setAcceleration(double amount) override;
    void setAccelerationOff() override;
    RestoreOutcome restoreFirstSeen() override;
    HidRegistration onRemoved(BackendDeviceCallback callback) override;
    QString describe() const override;
    // libinput's or the server's acceleration, with the server's pointer control read now.
    std::optional<PointerCurveModel> curveModel() const override;

    const X11DeviceFacts& facts() const { return m_facts; }
    // What is to be put back: the memory of a device still here that this program changed.
    X11DeviceMemory* memoryToRestore()
    {
        return m_memory.changed && !m_removal.left() ? &m_memory : nullptr;
    }

    // Used by the session, on the main loop.
    void rememberFirstSeen();
    // Originals an earlier run recorded before it changed the device, and what it wrote:
    // they count as first seen and written, and the device as changed.
    void adoptOriginals(const X11DeviceMemory& journalled);
    void leave();

private:
    // The device is there and the connection stands.
    bool isPresent() const;
    // Runs the translation against the live device; nothing once the device or the
    // connection is gone.
    template <typename Action> auto withDevice(Action action) const;
    // Runs a write with every property it sets noted.
    template <typename Write> void write(Write write);
    // Each write is journalled before it is sent, and taken back if the server refuses it.
    void noteWrite(XAtom property, const RawProperty& value, bool refused);

    std::weak_ptr<X11Session> m_session;
    X11DeviceFacts m_facts;
    std::uint64_t m_registryID; // named in log lines
    DeviceRemoval m_removal;
    mutable X11DeviceMemory m_memory;
    // m_memory.written before the write being made, to put back if it is refused.
    std::optional<std::map<XAtom, std::optional<RawProperty>>> m_writtenBefore;
};

} // namespace veloquill::x11
