// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sim/simulated_hid_event_system.h"

#include "device/hid_keys.h"

#include <algorithm>
#include <optional>

namespace veloquill::sim {

namespace {

// One client's registrations; lives exactly as long as the client object.
struct ClientState
{
    bool scheduled = false;
    std::uint64_t session = 0; // bumped when unscheduled: work queued before is dropped
    std::optional<std::vector<HidMatchingDictionary>> matching;
    HidCallbackList<void(const HidServiceClientRef&)> arrivals;

    bool matches(const SimulatedService& service) const
    {
        const QString &page = HidKey::DeviceUsagePage, &usage = HidKey::DeviceUsage;
        return matching && std::ranges::any_of(*matching, [&](const auto& dictionary) {
                   return dictionary.size() == 2 && dictionary.contains(page) &&
                          dictionary.contains(usage) &&
                          service.conformsTo(dictionary.at(page), dictionary.at(usage));
               });
    }

    // Queues the work, to run if the client is then still scheduled in the same session.
    void post(std::function<void(ClientState&)> work)
    {
        if (scheduled)
            postToMainLoop([weak = weakSelf, session = session, work = std::move(work)] {
                const auto self = weak.lock();
                if (self && self->scheduled && self->session == session)
                    work(*self);
            });
    }
    std::weak_ptr<ClientState> weakSelf;
};

} // namespace

struct SimulatedHidEventSystem::World
{
    std::vector<std::shared_ptr<SimulatedService>> services;
    std::vector<std::weak_ptr<ClientState>> clients;
    bool copyServicesFails = false;

    bool isPresent(const SimulatedService& service) const
    {
        return std::ranges::any_of(services, [&](const auto& s) { return s.get() == &service; });
    }
    std::vector<std::shared_ptr<ClientState>> liveClients()
    {
        std::erase_if(clients, [](const auto& weak) { return weak.expired(); });
        std::vector<std::shared_ptr<ClientState>> live;
        for (const auto& weak : clients)
            live.push_back(weak.lock());
        return live;
    }
};

namespace {

class SimulatedClient final : public HidEventSystemClient
{
public:
    explicit SimulatedClient(const std::shared_ptr<SimulatedHidEventSystem::World>& world)
        : m_world(world)
    {
        m_state->weakSelf = m_state;
        world->clients.push_back(m_state);
    }

    void setMatchingMultiple(const std::vector<HidMatchingDictionary>& matching) override
    {
        m_state->matching = matching;
    }
    HidRegistration registerDeviceMatchingCallback(HidServiceCallback callback) override
    {
        return m_state->arrivals.add(std::move(callback));
    }
    void scheduleWithMainLoop() override { m_state->scheduled = true; }
    void unscheduleFromMainLoop() override
    {
        m_state->scheduled = false;
        ++m_state->session;
    }
    std::optional<std::vector<HidServiceClientRef>> copyServices() override
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

private:
    std::weak_ptr<SimulatedHidEventSystem::World> m_world;
    std::shared_ptr<ClientState> m_state = std::make_shared<ClientState>();
};

} // namespace

SimulatedHidEventSystem::SimulatedHidEventSystem() : m_world(std::make_shared<World>()) {}

SimulatedHidEventSystem::~SimulatedHidEventSystem() = default;

std::unique_ptr<HidEventSystemClient> SimulatedHidEventSystem::createClient()
{
    if (m_createClientFails)
        return nullptr;
    return std::make_unique<SimulatedClient>(m_world);
}

std::shared_ptr<SimulatedService> SimulatedHidEventSystem::addService(ServiceSpec spec)
{
    const std::weak_ptr<World> weakWorld = m_world;
    auto service = std::make_shared<SimulatedService>(std::move(spec), m_nextRegistryID++);
    m_world->services.push_back(service);
    for (const auto& client : m_world->liveClients()) {
        if (client->matches(*service))
            client->post([service, weakWorld](ClientState& c) {
                // A service that left before its arrival was delivered is not reported.
                const auto world = weakWorld.lock();
                if (world && world->isPresent(*service))
                    c.arrivals.call(service);
            });
    }
    return service;
}

void SimulatedHidEventSystem::removeService(const std::shared_ptr<SimulatedService>& service)
{
    if (std::erase(m_world->services, service) > 0)
        service->leave();
}

void SimulatedHidEventSystem::setCopyServicesFails(bool fails)
{
    m_world->copyServicesFails = fails;
}

} // namespace veloquill::sim
