// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A watch of the XInput backend's devices: arrival callbacks.
// The registrations live in a state object the session holds weakly, so a client destroyed
// inside one of its own callbacks is never called again.

#include "device/pointer_backend.h"

#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace veloquill::x11 {

class X11Session;
class X11Device;

struct X11ClientState
{
    bool destroyed = false;
    bool scheduled = false;
    HidCallbackList<void(const BackendDeviceRef&)> arrivalCallbacks;

    bool isListening() const { return !destroyed && scheduled; }

    // Called by the session on the main loop.
    void deliverArrival(const BackendDeviceRef& device);
};

class X11DeviceWatch : public DeviceWatch
{
public:
    explicit X11DeviceWatch(std::shared_ptr<X11Session> session);
    ~X11DeviceWatch() override;

    HidRegistration onDeviceAdded(BackendDeviceCallback callback) override;
    void start() override { m_state->scheduled = true; }
    void stop() override { m_state->scheduled = false; }
    // Every slave pointer the session lists.
    std::optional<std::vector<BackendDeviceRef>> devices() override;

private:
    std::shared_ptr<X11Session> m_session;
    std::shared_ptr<X11ClientState> m_state;
};

} // namespace veloquill::x11
