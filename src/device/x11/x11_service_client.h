// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// One XInput slave pointer as a HID service. One object per device for as long as the device
// is present; a device that leaves and comes back (or is disabled and enabled) is a new one.

#include "device/hid_event_system.h"
#include "device/service_removal.h"
#include "device/x11/x11_device_discovery.h"
#include "device/x11/x11_key_translation.h"

#include <cstdint>
#include <memory>

namespace veloquill::x11 {

class X11Session;

class X11ServiceClient : public HidServiceClient,
                         public std::enable_shared_from_this<X11ServiceClient>
{
public:
    X11ServiceClient(std::weak_ptr<X11Session> session, X11DeviceFacts facts,
                     std::uint64_t registryID);

    // Once the device is gone only its identity keys answer, as last read.
    HidPropertyValue copyProperty(const QString& key) const override;
    // The first write that changes the device records its originals in the session's
    // journal beforehand.
    void setProperty(const QString& key, const HidPropertyValue& value) override;
    HidRestoreOutcome restoreFirstSeen() override;
    // Used by the session when it puts every device back at once: sends this one's restore
    // writes, if it changed the device, for restoreFirstSeen to finish.
    void sendRestore();
    // Every slave pointer is a generic desktop pointer (1/1) and mouse (1/2).
    bool conformsTo(std::uint32_t usagePage, std::uint32_t usage) const override;
    HidRegistration registerRemovalCallback(HidServiceCallback callback) override;
    QString describe() const override;
    bool isVirtual() const override { return m_facts.isVirtual; }
    // libinput's or the server's acceleration, with the server's pointer control read now.
    std::optional<PointerCurveModel> curveModel() const override;

    // The id its events carry as their sender.
    std::uint64_t registryID() const { return m_registryID; }
    const X11DeviceFacts& facts() const { return m_facts; }

    // Used by the session, on the main loop.
    void rememberFirstSeen();
    // Originals an earlier run recorded before it changed the device, and what it wrote:
    // they count as first seen and written, and the device as changed.
    void adoptOriginals(const X11KeyMemory& journalled);
    void leave();

private:
    // The device is there and the connection stands.
    bool isPresent() const;
    // Runs the translation against the live device; nothing once the device or the
    // connection is gone.
    template <typename Action> auto withKeys(Action action) const;
    // Each write is journalled before it is sent, and taken back if the server refuses it.
    void noteWrite(XAtom property, const RawProperty& value, bool refused);

    std::weak_ptr<X11Session> m_session;
    X11DeviceFacts m_facts;
    std::uint64_t m_registryID;
    ServiceRemoval m_removal;
    mutable X11KeyMemory m_memory;
    // What the write being made replaced in m_memory.written, to put back if it is refused.
    std::optional<std::pair<XAtom, std::optional<std::optional<RawProperty>>>> m_replaced;
};

} // namespace veloquill::x11
