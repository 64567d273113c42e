#pragma once

// The simulated world's shared state: which services are present and which clients are
// connected. The system, its clients and its services all reach it; only the system owns it,
// so everything else holds it weakly and copes with it being gone.

#include "device/hid_event_system.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace veloquill::sim {

class SimulatedService;

// Runs the work on a later turn of the main loop, after everything posted before it.
void postToMainLoop(std::function<void()> work);

template <typename Callback> struct CallbackRegistration
{
    std::uint64_t id = 0;
    Callback callback = nullptr;
    void* target = nullptr;
    void* refcon = nullptr;
};

struct PropertyChangedRegistration
{
    std::uint64_t id = 0;
    QString key;
    HidPropertyChangedCallback callback = nullptr;
    void* target = nullptr;
    void* refcon = nullptr;
};

// One event system client's registrations. Lives exactly as long as the client object, so a
// weak reference to it tells a queued delivery whether the client still exists.
struct ClientState
{
    bool scheduled = false;
    // Bumped when unscheduled: work queued before that is dropped, even when the client is
    // scheduled again by the time it would be delivered.
    std::uint64_t session = 0;
    // Events flow only while enabled; disabling bumps the session, dropping queued events.
    bool eventDeliveryEnabled = false;
    std::uint64_t eventSession = 0;
    // Unset until the client sets its matching; an unset matching matches nothing.
    std::optional<std::vector<HidMatchingDictionary>> matching;
    std::vector<CallbackRegistration<HidDeviceMatchingCallback>> deviceMatching;
    std::vector<CallbackRegistration<HidEventCallback>> events;
    std::vector<PropertyChangedRegistration> propertyChanged;
    std::uint64_t nextRegistrationID = 1;

    bool matches(const SimulatedService& service) const;
};

// The callback pointers registered last, anywhere in the world.
struct LastCallbacks
{
    CallbackRegistration<HidDeviceMatchingCallback> deviceMatching;
    CallbackRegistration<HidEventCallback> event;
    PropertyChangedRegistration propertyChanged;
    CallbackRegistration<HidServiceRemovalCallback> removal;
};

class SimulatedWorld : public std::enable_shared_from_this<SimulatedWorld>
{
public:
    // Present services, in order of addition.
    std::vector<std::shared_ptr<SimulatedService>> services;
    // Every client ever created, in creation order; expired ones are pruned on the way.
    std::vector<std::weak_ptr<ClientState>> clients;
    bool copyServicesFails = false;
    bool reportPresentServicesOnSchedule = false;
    LastCallbacks last;

    std::vector<std::shared_ptr<ClientState>> liveClients();
    bool isPresent(const SimulatedService& service) const;

    // Queue the matching callbacks of every client that sees the service.
    void announceArrival(const std::shared_ptr<SimulatedService>& service);
    void announceArrivalTo(const std::shared_ptr<ClientState>& client,
                           const std::shared_ptr<SimulatedService>& service);
    void announceEvent(const std::shared_ptr<SimulatedService>& service, const HidEventRef& event);
    void announcePropertyChange(const QString& key, const HidPropertyValue& value);
};

} // namespace veloquill::sim
