// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/x11_device_watch.h"

#include "device/x11/x11_connection.h"
#include "device/x11/x11_device.h"
#include "device/x11/x11_session.h"

namespace veloquill::x11 {

// Before every call the client must still be listening: a callback may unschedule or
// destroy it.
void X11ClientState::deliverArrival(const BackendDeviceRef& device)
{
    arrivalCallbacks.callWhile([this] { return isListening(); }, device);
}

X11DeviceWatch::X11DeviceWatch(std::shared_ptr<X11Session> session)
    : m_session(std::move(session)), m_state(std::make_shared<X11ClientState>())
{
    m_session->attachClient(m_state);
}

X11DeviceWatch::~X11DeviceWatch()
{
    m_state->destroyed = true;
}

HidRegistration X11DeviceWatch::onDeviceAdded(BackendDeviceCallback callback)
{
    return m_state->arrivalCallbacks.add(std::move(callback));
}

std::optional<std::vector<BackendDeviceRef>> X11DeviceWatch::devices()
{
    if (m_session->connection().isLost())
        return std::nullopt;
    return std::vector<BackendDeviceRef>(m_session->services().begin(),
                                         m_session->services().end());
}

} // namespace veloquill::x11
