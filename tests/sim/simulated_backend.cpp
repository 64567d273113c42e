// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sim/simulated_backend.h"

#include <algorithm>
#include <optional>

namespace veloquill::sim {

namespace {

struct WatchState
{
    bool started = false;
    std::uint64_t session = 0; // bumped at stop: work queued before is dropped
    HidCallbackList<void(const BackendDeviceRef&)> arrivals;
};

} // namespace

struct SimulatedBackend::World
{
    std::vector<std::shared_ptr<SimulatedDevice>> services;
    std::vector<std::weak_ptr<WatchState>> watches;
    bool copyServicesFails = false;
};

namespace {

class SimulatedWatch final : public DeviceWatch
{
public:
    explicit SimulatedWatch(const std::shared_ptr<SimulatedBackend::World>& world) : m_world(world)
    {
        world->watches.push_back(m_state);
    }

    HidRegistration onDeviceAdded(BackendDeviceCallback callback) override
    {
        return m_state->arrivals.add(std::move(callback));
    }
    void start() override { m_state->started = true; }
    void stop() override
    {
        m_state->started = false;
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
    std::shared_ptr<WatchState> m_state = std::make_shared<WatchState>();
};

} // namespace

SimulatedBackend::SimulatedBackend() : m_world(std::make_shared<World>()) {}

std::unique_ptr<DeviceWatch> SimulatedBackend::watchDevices()
{
    if (m_watchFails)
        return nullptr;
    return std::make_unique<SimulatedWatch>(m_world);
}

std::shared_ptr<SimulatedDevice> SimulatedBackend::addDevice(DeviceSpec spec)
{
    auto service = std::make_shared<SimulatedDevice>(std::move(spec), m_nextRegistryID++);
    m_world->services.push_back(service);
    std::erase_if(m_world->watches, [](const auto& watch) { return watch.expired(); });
    for (const std::weak_ptr<WatchState>& weakWatch : m_world->watches) {
        if (!weakWatch.lock()->started)
            continue;
        postToMainLoop([weakWatch, session = weakWatch.lock()->session, service,
                        weakWorld = std::weak_ptr(m_world)] {
            const auto watch = weakWatch.lock();
            const auto world = weakWorld.lock();
            // A service that left before its arrival was delivered is not reported.
            if (watch && watch->started && watch->session == session && world &&
                std::ranges::find(world->services, service) != world->services.end())
                watch->arrivals.callWhile([] { return true; }, service);
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
