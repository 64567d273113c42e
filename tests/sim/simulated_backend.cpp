// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sim/simulated_backend.h"

#include <algorithm>
#include <optional>

namespace veloquill::sim {

namespace {

// One client's registrations; lives exactly as long as the client object.
struct ClientState
{
    bool scheduled = false;
    std::uint64_t session = 0; // bumped when unscheduled: work queued before is dropped
    HidCallbackList<void(const BackendDeviceRef&)> arrivals;

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

struct SimulatedBackend::World
{
    std::vector<std::shared_ptr<SimulatedDevice>> services;
    std::vector<std::weak_ptr<ClientState>> clients;
    bool copyServicesFails = false;

    bool isPresent(const SimulatedDevice& service) const
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

class SimulatedWatch final : public DeviceWatch
{
public:
    explicit SimulatedWatch(const std::shared_ptr<SimulatedBackend::World>& world) : m_world(world)
    {
        m_state->weakSelf = m_state;
        world->clients.push_back(m_state);
    }

    HidRegistration onDeviceAdded(BackendDeviceCallback callback) override
    {
        return m_state->arrivals.add(std::move(callback));
    }
    void start() override { m_state->scheduled = true; }
    void stop() override
    {
        m_state->scheduled = false;
        ++m_state->session;
    }
    std::optional<std::vector<BackendDeviceRef>> devices() override
    {
        const auto world = m_world.lock();
        if (!world || world->copyServicesFails)
            return std::nullopt;
        return std::vector<BackendDeviceRef>(world->services.begin(), world->services.end());
    }

private:
    std::weak_ptr<SimulatedBackend::World> m_world;
    std::shared_ptr<ClientState> m_state = std::make_shared<ClientState>();
};

} // namespace

SimulatedBackend::SimulatedBackend() : m_world(std::make_shared<World>()) {}

SimulatedBackend::~SimulatedBackend() = default;

std::unique_ptr<DeviceWatch> SimulatedBackend::watchDevices()
{
    if (m_watchFails)
        return nullptr;
    return std::make_unique<SimulatedWatch>(m_world);
}

std::shared_ptr<SimulatedDevice> SimulatedBackend::addDevice(DeviceSpec spec)
{
    const std::weak_ptr<World> weakWorld = m_world;
    auto service = std::make_shared<SimulatedDevice>(std::move(spec), m_nextRegistryID++);
    m_world->services.push_back(service);
    for (const auto& client : m_world->liveClients()) {
        client->post([service, weakWorld](ClientState& c) {
            // A service that left before its arrival was delivered is not reported.
            const auto world = weakWorld.lock();
            if (world && world->isPresent(*service))
                c.arrivals.call(service);
        });
    }
    return service;
}

void SimulatedBackend::removeDevice(const std::shared_ptr<SimulatedDevice>& service)
{
    if (std::erase(m_world->services, service) > 0)
        service->leave();
}

void SimulatedBackend::setDevicesFails(bool fails)
{
    m_world->copyServicesFails = fails;
}

} // namespace veloquill::sim
