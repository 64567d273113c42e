#pragma once

#include "device/hid_event_system.h"
#include "sim/simulated_world.h"

#include <memory>

namespace veloquill::sim {

// A connection to the simulated system. Its registrations live in a ClientState that dies
// with it, which is how queued deliveries learn that the client is gone.
class SimulatedEventSystemClient : public HidEventSystemClient
{
public:
    explicit SimulatedEventSystemClient(const std::shared_ptr<SimulatedWorld>& world);
    ~SimulatedEventSystemClient() override;

    void setMatchingMultiple(const std::vector<HidMatchingDictionary>& matching) override;
    void registerDeviceMatchingCallback(HidDeviceMatchingCallback callback, void* target,
                                        void* refcon) override;
    void unregisterDeviceMatchingCallback(HidDeviceMatchingCallback callback, void* target,
                                          void* refcon) override;
    void registerEventCallback(HidEventCallback callback, void* target, void* refcon) override;
    void setEventDeliveryEnabled(bool enabled) override;
    void registerPropertyChangedCallback(const QString& key, HidPropertyChangedCallback callback,
                                         void* target, void* refcon) override;
    void scheduleWithMainLoop() override;
    void unscheduleFromMainLoop() override;

    std::optional<std::vector<HidServiceClientRef>> copyServices() override;
    HidServiceClientRef copyServiceForRegistryID(std::uint64_t registryID) override;

private:
    std::weak_ptr<SimulatedWorld> m_world;
    std::shared_ptr<ClientState> m_state;
};

} // namespace veloquill::sim
