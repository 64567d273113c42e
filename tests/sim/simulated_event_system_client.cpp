#include "sim/simulated_event_system_client.h"

#include "sim/simulated_service.h"

namespace veloquill::sim {

SimulatedEventSystemClient::SimulatedEventSystemClient(const std::shared_ptr<SimulatedWorld>& world)
    : m_world(world), m_state(std::make_shared<ClientState>())
{
    world->clients.push_back(m_state);
}

SimulatedEventSystemClient::~SimulatedEventSystemClient() = default;

void SimulatedEventSystemClient::setMatchingMultiple(
    const std::vector<HidMatchingDictionary>& matching)
{
    m_state->matching = matching;
}

void SimulatedEventSystemClient::registerDeviceMatchingCallback(HidDeviceMatchingCallback callback,
                                                                void* target, void* refcon)
{
    const CallbackRegistration<HidDeviceMatchingCallback> registration{
        m_state->nextRegistrationID++, callback, target, refcon};
    m_state->deviceMatching.push_back(registration);
    if (const auto world = m_world.lock())
        world->last.deviceMatching = registration;
}

void SimulatedEventSystemClient::unregisterDeviceMatchingCallback(
    HidDeviceMatchingCallback callback, void* target, void* refcon)
{
    std::erase_if(m_state->deviceMatching, [&](const auto& registration) {
        return registration.callback == callback && registration.target == target &&
               registration.refcon == refcon;
    });
}

void SimulatedEventSystemClient::registerEventCallback(HidEventCallback callback, void* target,
                                                       void* refcon)
{
    const CallbackRegistration<HidEventCallback> registration{m_state->nextRegistrationID++,
                                                              callback, target, refcon};
    m_state->events.push_back(registration);
    if (const auto world = m_world.lock())
        world->last.event = registration;
}

void SimulatedEventSystemClient::setEventDeliveryEnabled(bool enabled)
{
    if (m_state->eventDeliveryEnabled && !enabled)
        ++m_state->eventSession;
    m_state->eventDeliveryEnabled = enabled;
}

void SimulatedEventSystemClient::registerPropertyChangedCallback(
    const QString& key, HidPropertyChangedCallback callback, void* target, void* refcon)
{
    const PropertyChangedRegistration registration{m_state->nextRegistrationID++, key, callback,
                                                   target, refcon};
    m_state->propertyChanged.push_back(registration);
    if (const auto world = m_world.lock())
        world->last.propertyChanged = registration;
}

void SimulatedEventSystemClient::scheduleWithMainLoop()
{
    if (m_state->scheduled)
        return;
    m_state->scheduled = true;
    const auto world = m_world.lock();
    if (!world || !world->reportPresentServicesOnSchedule)
        return;
    for (const auto& service : world->services)
        world->announceArrivalTo(m_state, service);
}

void SimulatedEventSystemClient::unscheduleFromMainLoop()
{
    if (!m_state->scheduled)
        return;
    m_state->scheduled = false;
    ++m_state->session;
}

std::optional<std::vector<HidServiceClientRef>> SimulatedEventSystemClient::copyServices()
{
    const auto world = m_world.lock();
    if (!world || world->copyServicesFails)
        return std::nullopt;
    std::vector<HidServiceClientRef> services;
    for (const auto& service : world->services) {
        if (m_state->matches(*service))
            services.push_back(service);
    }
    return services;
}

HidServiceClientRef SimulatedEventSystemClient::copyServiceForRegistryID(std::uint64_t registryID)
{
    const auto world = m_world.lock();
    if (!world)
        return nullptr;
    for (const auto& service : world->services) {
        if (service->registryID() == registryID && m_state->matches(*service))
            return service;
    }
    return nullptr;
}

} // namespace veloquill::sim
