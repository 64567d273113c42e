// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/x11_event_system_client.h"

#include "device/hid_service_client_ops.h"
#include "device/x11/x11_connection.h"
#include "device/x11/x11_service_client.h"
#include "device/x11/x11_session.h"

#include <algorithm>

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

void X11ClientState::deliverEvent(const HidServiceClientRef& service, const HidEventRef& event)
{
    eventCallbacks.callWhile([this] { return isListening() && eventDelivery; }, service, event);
}

void X11ClientState::deliverPropertyChange(const QStringList& keys)
{
    for (const QString& key : keys) {
        for (const auto& property : propertyCallbacks) {
            if (property->key == key)
                property->callbacks.callWhile([this] { return isListening(); });
        }
    }
}

X11EventSystemClient::X11EventSystemClient(std::shared_ptr<X11Session> session)
    : m_session(std::move(session)), m_state(std::make_shared<X11ClientState>())
{
    m_session->attachClient(m_state);
}

X11EventSystemClient::~X11EventSystemClient()
{
    m_state->destroyed = true;
    m_session->updateRawInputSelection();
}

void X11EventSystemClient::setMatchingMultiple(const std::vector<HidMatchingDictionary>& matching)
{
    m_state->matching = matching;
}

HidRegistration X11EventSystemClient::registerDeviceMatchingCallback(HidServiceCallback callback)
{
    return m_state->matchingCallbacks.add(std::move(callback));
}

HidRegistration X11EventSystemClient::registerEventCallback(HidEventCallback callback)
{
    return X11Session::updatingRawInputSelection(m_session,
                                                 m_state->eventCallbacks.add(std::move(callback)));
}

void X11EventSystemClient::setEventDeliveryEnabled(bool enabled)
{
    m_state->eventDelivery = enabled;
    m_session->updateRawInputSelection();
}

HidRegistration
X11EventSystemClient::registerPropertyChangedCallback(const QString& key,
                                                      HidPropertyChangedCallback callback)
{
    auto& properties = m_state->propertyCallbacks;
    auto found = std::find_if(properties.begin(), properties.end(),
                              [&](const auto& property) { return property->key == key; });
    if (found == properties.end()) {
        properties.push_back(std::make_unique<X11ClientState::PropertyCallbacks>());
        properties.back()->key = key;
        found = properties.end() - 1;
    }
    return (*found)->callbacks.add(std::move(callback));
}

void X11EventSystemClient::scheduleWithMainLoop()
{
    m_state->scheduled = true;
    m_session->updateRawInputSelection();
}

void X11EventSystemClient::unscheduleFromMainLoop()
{
    m_state->scheduled = false;
    m_session->updateRawInputSelection();
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

HidServiceClientRef X11EventSystemClient::copyServiceForRegistryID(std::uint64_t registryID)
{
    const auto service = m_session->serviceForRegistryID(registryID);
    return service && m_state->matches(*service) ? service : nullptr;
}

} // namespace veloquill::x11
