// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The HID device behind an XInput service: raw input values and reports, made from XI2 raw
// events. Raw events are selected only while some device has a callback registered (or some
// client wants events).

#include "device/hid_event_system.h"
#include "device/x11/raw_input.h"

#include <cstdint>
#include <memory>

namespace veloquill::x11 {

class X11Session;

// What the session needs to deliver raw input to one device object.
struct X11DeviceState
{
    std::uint64_t registryID = 0;
    ScrollAxes scroll;
    bool destroyed = false;
    HidCallbackList<void(const HidInputValue&)> valueCallbacks;
    HidCallbackList<void(std::span<const std::uint8_t>)> reportCallbacks;
    std::size_t reportLength = 0;
    std::uint8_t buttons = 0; // HID buttons held, for reports

    bool wantsRawInput() const
    {
        return !destroyed && (!valueCallbacks.empty() || !reportCallbacks.empty());
    }
    void deliver(const RawInput& input);
};

class X11Device : public HidDevice
{
public:
    static std::shared_ptr<X11Device> create(const std::shared_ptr<X11Session>& session,
                                             std::uint64_t registryID, const ScrollAxes& scroll);
    ~X11Device() override;

    HidRegistration registerInputValueCallback(HidInputValueCallback callback) override;
    HidRegistration registerInputReportCallback(std::size_t length,
                                                HidInputReportCallback callback) override;

private:
    X11Device(std::weak_ptr<X11Session> session, std::shared_ptr<X11DeviceState> state);

    std::weak_ptr<X11Session> m_session;
    std::shared_ptr<X11DeviceState> m_state;
};

} // namespace veloquill::x11
