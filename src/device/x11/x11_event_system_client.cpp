// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/x11_event_system_client.h"

#include "device/hid_service_client_ops.h"
#include "device/x11/x11_connection.h"
#include "device/x11/x11_service_client.h"
#include "device/x11/x11_session.h"

namespace veloquill::x11 {

bool X11ClientState::matches(const HidServiceClient& service) const
{
    return matchesAny(matching, service);
}

// Before every call the client must still be listening: a callback may unschedule or
// destroy it.
void X11ClientState::deliverArrival(const HidServiceClientRef& service)
{
    matchingCallbacks.callWhile([this] { return isListening(); }, service);
}

X11EventSystemClient::X11EventSystemClient(std::shared_ptr<X11Session> session)
    : m_session(std::move(session)), m_state(std::make_shared<X11ClientState>())
{
    m_session->attachClient(m_state);
}

X11EventSystemClient::~X11EventSystemClient()
{
    m_state->destroyed = true;
}

void X11EventSystemClient::setMatchingMultiple(const std::vector<HidMatchingDictionary>& matching)
{
    m_state->matching = matching;
}

HidRegistration X11EventSystemClient::registerDeviceMatchingCallback(HidServiceCallback callback)
{
    return m_state->matchingCallbacks.add(std::move(callback));
}

void X11EventSystemClient::scheduleWithMainLoop()
{
    m_state->scheduled = true;
}

void X11EventSystemClient::unscheduleFromMainLoop()
{
    m_state->scheduled = false;
}

std::optional<std::vector<HidServiceClientRef>> X11EventSystemClient::copyServices()
{
    if (m_session->connection().isLost())
        return std::nullopt;
    std::vector<HidServiceClientRef> services;
    for (const auto& service : m_session->services()) {
        if (m_state->matches(*service))
            services.push_back(service);
    }
    return services;
}

} // namespace veloquill::x11
