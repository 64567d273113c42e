#include "sim/simulated_world.h"

#include "sim/simulated_service.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>

namespace veloquill::sim {

namespace {

const QString UsagePageKey = QStringLiteral("DeviceUsagePage");
const QString UsageKey = QStringLiteral("DeviceUsage");

// A dictionary matches when some usage pair of the service fits its page and usage (either
// may be left out) and every other key equals the service's integer property of that name.
bool dictionaryMatches(const HidMatchingDictionary& dictionary, const SimulatedService& service)
{
    const auto page = dictionary.find(UsagePageKey);
    const auto usage = dictionary.find(UsageKey);
    const bool usageFits = std::ranges::any_of(service.usages(), [&](const auto& pair) {
        return (page == dictionary.end() || page->second == pair.first) &&
               (usage == dictionary.end() || usage->second == pair.second);
    });
    if (!usageFits)
        return false;
    return std::ranges::all_of(dictionary, [&](const auto& entry) {
        if (entry.first == UsagePageKey || entry.first == UsageKey)
            return true;
        return service.property(entry.first).toInteger() == entry.second;
    });
}

// The client's registration with that id, when the client still exists, is still in the
// same scheduling session and still holds the registration.
template <typename Registration>
std::optional<Registration>
liveRegistration(const std::weak_ptr<ClientState>& weakClient, std::uint64_t session,
                 std::vector<Registration> ClientState::*list, std::uint64_t id)
{
    const auto client = weakClient.lock();
    if (!client || !client->scheduled || client->session != session)
        return std::nullopt;
    const auto& registrations = (*client).*list;
    const auto found = std::ranges::find_if(
        registrations, [id](const auto& registration) { return registration.id == id; });
    if (found == registrations.end())
        return std::nullopt;
    return *found;
}

} // namespace

void postToMainLoop(std::function<void()> work)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work), Qt::QueuedConnection);
}

bool ClientState::matches(const SimulatedService& service) const
{
    if (!matching)
        return false;
    return std::ranges::any_of(
        *matching, [&](const auto& dictionary) { return dictionaryMatches(dictionary, service); });
}

std::vector<std::shared_ptr<ClientState>> SimulatedWorld::liveClients()
{
    std::erase_if(clients, [](const auto& weak) { return weak.expired(); });
    std::vector<std::shared_ptr<ClientState>> live;
    for (const auto& weak : clients) {
        if (auto client = weak.lock())
            live.push_back(std::move(client));
    }
    return live;
}

bool SimulatedWorld::isPresent(const SimulatedService& service) const
{
    return std::ranges::any_of(services,
                               [&](const auto& present) { return present.get() == &service; });
}

void SimulatedWorld::announceArrival(const std::shared_ptr<SimulatedService>& service)
{
    for (const auto& client : liveClients())
        announceArrivalTo(client, service);
}

void SimulatedWorld::announceArrivalTo(const std::shared_ptr<ClientState>& client,
                                       const std::shared_ptr<SimulatedService>& service)
{
    if (!client->scheduled || !client->matches(*service))
        return;
    for (const auto& registration : client->deviceMatching) {
        postToMainLoop([weakClient = std::weak_ptr(client), session = client->session,
                        id = registration.id, service, weakWorld = weak_from_this()] {
            const auto live =
                liveRegistration(weakClient, session, &ClientState::deviceMatching, id);
            if (!live)
                return;
            // A service that left before its arrival was delivered is not reported.
            const auto world = weakWorld.lock();
            if (!world || !world->isPresent(*service) || !weakClient.lock()->matches(*service))
                return;
            live->callback(live->target, live->refcon, service);
        });
    }
}

void SimulatedWorld::announceEvent(const std::shared_ptr<SimulatedService>& service,
                                   const HidEventRef& event)
{
    for (const auto& client : liveClients()) {
        if (!client->scheduled || !client->eventDeliveryEnabled || !client->matches(*service))
            continue;
        for (const auto& registration : client->events) {
            postToMainLoop([weakClient = std::weak_ptr(client), session = client->session,
                            eventSession = client->eventSession, id = registration.id, service,
                            event] {
                const auto live = liveRegistration(weakClient, session, &ClientState::events, id);
                const auto state = weakClient.lock();
                if (live && state->eventDeliveryEnabled && state->eventSession == eventSession)
                    live->callback(live->target, live->refcon, service, event);
            });
        }
    }
}

void SimulatedWorld::announcePropertyChange(const QString& key, const HidPropertyValue& value)
{
    for (const auto& client : liveClients()) {
        if (!client->scheduled)
            continue;
        for (const auto& registration : client->propertyChanged) {
            if (registration.key != key)
                continue;
            postToMainLoop([weakClient = std::weak_ptr(client), session = client->session,
                            id = registration.id, key, value] {
                const auto live =
                    liveRegistration(weakClient, session, &ClientState::propertyChanged, id);
                if (live)
                    live->callback(live->target, live->refcon, key, value);
            });
        }
    }
}

} // namespace veloquill::sim
