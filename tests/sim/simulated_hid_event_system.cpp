#include "sim/simulated_hid_event_system.h"

#include "sim/simulated_event_system_client.h"
#include "sim/simulated_world.h"
#include "support/log.h"

#include <algorithm>

namespace veloquill::sim {

int ClientRegistrations::propertyChangedRegistrations(const QString& key) const
{
    return static_cast<int>(std::ranges::count(propertyChangedKeys, key));
}

SimulatedHidEventSystem::SimulatedHidEventSystem() : m_world(std::make_shared<SimulatedWorld>()) {}

SimulatedHidEventSystem::~SimulatedHidEventSystem() = default;

std::unique_ptr<HidEventSystemClient> SimulatedHidEventSystem::createClient()
{
    if (m_createClientFails)
        return nullptr;
    ++m_createdClientCount;
    return std::make_unique<SimulatedEventSystemClient>(m_world);
}

HidSystemParameterRead SimulatedHidEventSystem::copySystemParameter(const QString& key)
{
    const auto found = m_parameters.find(key);
    if (found != m_parameters.end())
        return found->second;
    return {HidSystemParameterRead::Outcome::NoSystemService, DefaultParameterResultCode, {}};
}

bool SimulatedHidEventSystem::canControlPointerDevices()
{
    ++m_canControlQueryCount;
    if (!m_canControlPointerDevices)
        logLine(QStringLiteral("SimulatedHidEventSystem: pointer devices may not be controlled "
                               "(refused by the test)"));
    return m_canControlPointerDevices;
}

std::shared_ptr<SimulatedService> SimulatedHidEventSystem::addService(ServiceSpec spec)
{
    std::uint64_t id = 0;
    if (spec.registryID) {
        id = *spec.registryID;
    } else {
        // Skip ids the test has handed out itself.
        const auto taken = [this](std::uint64_t candidate) {
            return std::ranges::any_of(m_world->services, [candidate](const auto& service) {
                return service->assignedRegistryID() == candidate;
            });
        };
        while (taken(m_nextRegistryID))
            ++m_nextRegistryID;
        id = m_nextRegistryID++;
    }
    auto service = std::make_shared<SimulatedService>(std::move(spec), id, m_world);
    m_world->services.push_back(service);
    m_world->announceArrival(service);
    return service;
}

void SimulatedHidEventSystem::removeService(const std::shared_ptr<SimulatedService>& service)
{
    if (!service || !m_world->isPresent(*service))
        return;
    std::erase(m_world->services, service);
    service->leave();
}

void SimulatedHidEventSystem::redeliverArrival(const std::shared_ptr<SimulatedService>& service)
{
    if (service && m_world->isPresent(*service))
        m_world->announceArrival(service);
}

std::vector<std::shared_ptr<SimulatedService>> SimulatedHidEventSystem::services() const
{
    return m_world->services;
}

void SimulatedHidEventSystem::emitEvent(const std::shared_ptr<SimulatedService>& service,
                                        HidEvent event)
{
    if (!service || !m_world->isPresent(*service))
        return;
    event.senderID = service->assignedRegistryID();
    m_world->announceEvent(service, std::make_shared<const HidEvent>(event));
}

void SimulatedHidEventSystem::setCopyServicesFails(bool fails)
{
    m_world->copyServicesFails = fails;
}

void SimulatedHidEventSystem::setSystemParameter(const QString& key,
                                                 const HidSystemParameterRead& read)
{
    m_parameters[key] = read;
}

void SimulatedHidEventSystem::setSystemParameterValue(const QString& key,
                                                      const HidPropertyValue& value)
{
    setSystemParameter(key, {HidSystemParameterRead::Outcome::Copied, 0, value});
}

void SimulatedHidEventSystem::setReportPresentServicesOnSchedule(bool report)
{
    m_world->reportPresentServicesOnSchedule = report;
}

int SimulatedHidEventSystem::clientCount() const
{
    return static_cast<int>(m_world->liveClients().size());
}

int SimulatedHidEventSystem::scheduledClientCount() const
{
    return static_cast<int>(std::ranges::count_if(
        m_world->liveClients(), [](const auto& client) { return client->scheduled; }));
}

std::vector<ClientRegistrations> SimulatedHidEventSystem::clients() const
{
    std::vector<ClientRegistrations> result;
    for (const auto& client : m_world->liveClients()) {
        ClientRegistrations entry;
        entry.scheduled = client->scheduled;
        entry.matchingSet = client->matching.has_value();
        entry.eventDeliveryEnabled = client->eventDeliveryEnabled;
        entry.matching = client->matching.value_or(std::vector<HidMatchingDictionary>{});
        entry.deviceMatchingCallbacks = static_cast<int>(client->deviceMatching.size());
        entry.eventCallbacks = static_cast<int>(client->events.size());
        for (const auto& registration : client->propertyChanged)
            entry.propertyChangedKeys.push_back(registration.key);
        result.push_back(std::move(entry));
    }
    return result;
}

bool SimulatedHidEventSystem::invokeDeviceMatchingCallbackRaw(void* target,
                                                              const HidServiceClientRef& service)
{
    const auto last = m_world->last.deviceMatching;
    if (!last.callback)
        return false;
    last.callback(target, last.refcon, service);
    return true;
}

bool SimulatedHidEventSystem::invokeEventCallbackRaw(void* target,
                                                     const HidServiceClientRef& service,
                                                     const HidEventRef& event)
{
    const auto last = m_world->last.event;
    if (!last.callback)
        return false;
    last.callback(target, last.refcon, service, event);
    return true;
}

bool SimulatedHidEventSystem::invokePropertyChangedCallbackRaw(void* target, const QString& key,
                                                               const HidPropertyValue& value)
{
    const auto last = m_world->last.propertyChanged;
    if (!last.callback)
        return false;
    last.callback(target, last.refcon, key, value);
    return true;
}

bool SimulatedHidEventSystem::invokeRemovalCallbackRaw(void* target,
                                                       const HidServiceClientRef& service)
{
    const auto last = m_world->last.removal;
    if (!last.callback)
        return false;
    last.callback(target, last.refcon, service);
    return true;
}

} // namespace veloquill::sim
