#include "device/kwin/kwin_event_system_client.h"

#include "device/hid_service_client_ops.h"
#include "device/kwin/kwin_service_client.h"
#include "device/kwin/kwin_session.h"

#include <algorithm>

namespace veloquill::kwin {

KWinEventSystemClient::KWinEventSystemClient(std::shared_ptr<KWinSession> session)
    : m_session(std::move(session)), m_state(std::make_shared<KWinClientState>())
{
    m_session->attachClient(m_state);
}

KWinEventSystemClient::~KWinEventSystemClient()
{
    m_state->scheduled = false; // stops a walk under way
}

void KWinEventSystemClient::setMatchingMultiple(const std::vector<HidMatchingDictionary>& matching)
{
    m_state->matching = matching;
}

HidRegistration KWinEventSystemClient::registerDeviceMatchingCallback(HidServiceCallback callback)
{
    return m_state->matchingCallbacks.add(std::move(callback));
}

HidRegistration KWinEventSystemClient::registerEventCallback(HidEventCallback callback)
{
    return m_state->eventCallbacks.add(std::move(callback));
}

HidRegistration
KWinEventSystemClient::registerPropertyChangedCallback(const QString& key,
                                                       HidPropertyChangedCallback callback)
{
    auto& properties = m_state->propertyCallbacks;
    auto found = std::find_if(properties.begin(), properties.end(),
                              [&](const auto& property) { return property.first == key; });
    if (found == properties.end()) {
        properties.emplace_back(key, std::make_unique<HidCallbackList<void()>>());
        found = properties.end() - 1;
    }
    return found->second->add(std::move(callback));
}

void KWinEventSystemClient::scheduleWithMainLoop()
{
    m_state->scheduled = true;
}

void KWinEventSystemClient::unscheduleFromMainLoop()
{
    m_state->scheduled = false;
}

std::optional<std::vector<HidServiceClientRef>> KWinEventSystemClient::copyServices()
{
    std::vector<HidServiceClientRef> services;
    for (const auto& service : m_session->services()) {
        if (matchesAny(m_state->matching, *service))
            services.push_back(service);
    }
    return services;
}

HidServiceClientRef KWinEventSystemClient::copyServiceForRegistryID(std::uint64_t registryID)
{
    for (const auto& service : m_session->services()) {
        if (service->registryID() == registryID && matchesAny(m_state->matching, *service))
            return service;
    }
    return nullptr;
}

} // namespace veloquill::kwin
