#pragma once

#include "device/hid_event_system.h"
#include "sim/service_spec.h"
#include "sim/simulated_device.h"
#include "sim/simulated_service.h"

#include <QString>

#include <map>
#include <memory>
#include <vector>

namespace veloquill::sim {

class SimulatedWorld;

// What one live client has registered, as the test sees it.
struct ClientRegistrations
{
    bool scheduled = false;
    bool matchingSet = false;
    bool eventDeliveryEnabled = false;
    std::vector<HidMatchingDictionary> matching;
    int deviceMatchingCallbacks = 0; // currently registered
    int eventCallbacks = 0;
    std::vector<QString> propertyChangedKeys; // one entry per registration, in order

    int propertyChangedRegistrations(const QString& key) const;
};

// A HID event system that lives inside the test. Services come and go when the test says,
// and everything the system reports reaches the clients on a later turn of the main loop,
// never inside the call that caused it. Deterministic: no threads, no timers.
//
// A client sees only services that match its dictionaries ("DeviceUsagePage" / "DeviceUsage",
// either may be left out; any other key must equal the service's integer property). Until it
// sets its matching, it sees nothing. That holds for arrivals, events, copyServices() and
// copyServiceForRegistryID(). Property changes reach every scheduled client registered for
// the key, once per registration, whichever service changed.
class SimulatedHidEventSystem : public HidEventSystem
{
public:
    SimulatedHidEventSystem();
    ~SimulatedHidEventSystem() override;

    std::unique_ptr<HidEventSystemClient> createClient() override;
    HidSystemParameterRead copySystemParameter(const QString& key) override;
    bool canControlPointerDevices() override;

    // Services. A new service is announced to every scheduled client that matches it; one
    // that has left before the announcement is delivered is not announced.
    std::shared_ptr<SimulatedService> addService(ServiceSpec spec);
    // The service leaves: its removal callbacks run once, on the main loop.
    void removeService(const std::shared_ptr<SimulatedService>& service);
    // The system reports a present service as arriving again.
    void redeliverArrival(const std::shared_ptr<SimulatedService>& service);
    // Present services, in order of addition.
    std::vector<std::shared_ptr<SimulatedService>> services() const;
    // An input event from a present service; its senderID becomes the service's registry id.
    // It reaches the scheduled matching clients whose event delivery is enabled.
    void emitEvent(const std::shared_ptr<SimulatedService>& service, HidEvent event);

    // Failures and answers.
    void setCreateClientFails(bool fails) { m_createClientFails = fails; }
    void setCopyServicesFails(bool fails);
    // The default for every key is NoSystemService with DefaultParameterResultCode.
    void setSystemParameter(const QString& key, const HidSystemParameterRead& read);
    // Shorthand for a parameter that is copied with this value.
    void setSystemParameterValue(const QString& key, const HidPropertyValue& value);
    void setCanControlPointerDevices(bool can) { m_canControlPointerDevices = can; }
    // When set, a client that becomes scheduled is also told of every matching service
    // already present, as some systems do (the program then meets them twice).
    void setReportPresentServicesOnSchedule(bool report);

    static constexpr int DefaultParameterResultCode = -536870212;

    // Inspection.
    int clientCount() const;
    int scheduledClientCount() const;
    int createdClientCount() const { return m_createdClientCount; }
    int canControlQueryCount() const { return m_canControlQueryCount; }
    // Live clients in creation order.
    std::vector<ClientRegistrations> clients() const;

    // Call the callback function registered last (on any client or service) right now, with
    // the given target and possibly null arguments, for tests of defensive branches. The
    // refcon is the one registered with it. Return false when none was ever registered.
    bool invokeDeviceMatchingCallbackRaw(void* target, const HidServiceClientRef& service);
    bool invokeEventCallbackRaw(void* target, const HidServiceClientRef& service,
                                const HidEventRef& event);
    bool invokePropertyChangedCallbackRaw(void* target, const QString& key,
                                          const HidPropertyValue& value);
    bool invokeRemovalCallbackRaw(void* target, const HidServiceClientRef& service);

private:
    std::shared_ptr<SimulatedWorld> m_world;
    std::uint64_t m_nextRegistryID = 4294968001;
    bool m_createClientFails = false;
    bool m_canControlPointerDevices = true;
    int m_createdClientCount = 0;
    int m_canControlQueryCount = 0;
    std::map<QString, HidSystemParameterRead> m_parameters;
};

} // namespace veloquill::sim
