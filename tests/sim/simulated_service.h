#pragma once

#include "device/hid_event_system.h"
#include "sim/service_spec.h"
#include "sim/simulated_world.h"

#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace veloquill::sim {

class SimulatedDevice;

struct PropertyWrite
{
    QString key;
    HidPropertyValue value;
    friend bool operator==(const PropertyWrite&, const PropertyWrite&) = default;
};

// One service of the simulated event system. Property writes are recorded so tests can see
// what the program asked for; every change is reported to the clients that registered for it.
class SimulatedService : public HidServiceClient,
                         public std::enable_shared_from_this<SimulatedService>
{
public:
    // A service on its own, outside any system: properties and writes work, nobody is told
    // of changes and it never leaves. Its registry id is the one given, else 4294968000.
    explicit SimulatedService(ServiceSpec spec);
    // A service of a simulated system (SimulatedHidEventSystem::addService makes these).
    SimulatedService(ServiceSpec spec, std::uint64_t registryID,
                     std::weak_ptr<SimulatedWorld> world);
    ~SimulatedService() override;

    HidPropertyValue copyProperty(const QString& key) const override;
    void setProperty(const QString& key, const HidPropertyValue& value) override;
    bool conformsTo(std::uint32_t usagePage, std::uint32_t usage) const override;
    std::optional<std::uint64_t> registryID() const override;
    void registerRemovalCallback(HidServiceRemovalCallback callback, void* target,
                                 void* refcon) override;
    void unregisterRemovalCallbacks(void* target) override;
    std::shared_ptr<HidDevice> createDevice() override;
    QString describe() const override;

    // The test's side.
    HidPropertyValue property(const QString& key) const;
    const std::map<QString, HidPropertyValue>& properties() const { return m_properties; }
    // Another program changes the property (a null value removes it); not recorded as a write.
    void changePropertyExternally(const QString& key, const HidPropertyValue& value);
    const std::vector<PropertyWrite>& writes() const { return m_writes; }
    void clearWrites() { m_writes.clear(); }

    const std::vector<std::pair<std::uint32_t, std::uint32_t>>& usages() const
    {
        return m_spec.usages;
    }
    // The id events carry, whether or not registryID() reports it.
    std::uint64_t assignedRegistryID() const { return m_registryID; }
    // Whether the service has left its system (removeService).
    bool hasLeft() const { return m_left; }
    int removalCallbackCount() const { return static_cast<int>(m_removalCallbacks.size()); }

    // Devices created through createDevice() that still exist, oldest first.
    std::vector<std::shared_ptr<SimulatedDevice>> devices() const;
    // The newest of them, or null.
    std::shared_ptr<SimulatedDevice> device() const;
    int createdDeviceCount() const { return m_createdDeviceCount; }

    // Used by the system: the service leaves, and its removal callbacks are queued.
    void leave();

private:
    void applyChange(const QString& key, const HidPropertyValue& value);
    void deliverRemoval();

    ServiceSpec m_spec;
    std::uint64_t m_registryID;
    std::weak_ptr<SimulatedWorld> m_world;
    QString m_description;
    std::map<QString, HidPropertyValue> m_properties;
    std::vector<PropertyWrite> m_writes;
    std::vector<CallbackRegistration<HidServiceRemovalCallback>> m_removalCallbacks;
    std::uint64_t m_nextRemovalID = 1;
    bool m_left = false;
    bool m_removalDelivered = false;
    std::vector<std::weak_ptr<SimulatedDevice>> m_devices;
    int m_createdDeviceCount = 0;
};

} // namespace veloquill::sim
