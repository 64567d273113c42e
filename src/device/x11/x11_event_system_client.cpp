#include "device/x11/x11_event_system_client.h"

#include "device/x11/x11_connection.h"
#include "device/x11/x11_service_client.h"
#include "device/x11/x11_session.h"

#include <algorithm>

namespace veloquill::x11 {

namespace {
const QString kUsagePageKey = QStringLiteral("DeviceUsagePage");
const QString kUsageKey = QStringLiteral("DeviceUsage");

bool fitsUsage(std::int64_t value)
{
    return value >= 0 && value <= UINT32_MAX;
}

// A dictionary matches when the service has the usage page and usage it names (a missing
// page means generic desktop, a missing usage any of the service's usages). Other keys are
// properties this backend does not match on, so a dictionary with one matches nothing.
bool dictionaryMatches(const HidMatchingDictionary& dictionary, const HidServiceClient& service)
{
    for (const auto& [key, value] : dictionary) {
        if ((key != kUsagePageKey && key != kUsageKey) || !fitsUsage(value))
            return false;
    }
    const auto page = static_cast<std::uint32_t>(
        dictionary.count(kUsagePageKey) ? dictionary.at(kUsagePageKey) : 1);
    if (dictionary.count(kUsageKey))
        return service.conformsTo(page, static_cast<std::uint32_t>(dictionary.at(kUsageKey)));
    return service.conformsTo(page, 1) || service.conformsTo(page, 2);
}

template <typename List, typename Item> bool contains(const List& list, const Item& item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}
} // namespace

bool X11ClientState::matches(const HidServiceClient& service) const
{
    if (!matching)
        return true;
    return std::any_of(matching->begin(), matching->end(), [&](const HidMatchingDictionary& d) {
        return dictionaryMatches(d, service);
    });
}

// Each loop below walks a copy and checks, before every call, that the client is still
// listening (and an arrival callback still registered): a callback may change either.
void X11ClientState::deliverArrival(const HidServiceClientRef& service)
{
    const auto registrations = matchingCallbacks;
    for (const auto& r : registrations) {
        if (!isListening())
            return;
        if (contains(matchingCallbacks, r))
            r.callback(r.target, r.refcon, service);
    }
}

void X11ClientState::deliverEvent(const HidServiceClientRef& service, const HidEventRef& event)
{
    const auto registrations = eventCallbacks;
    for (const auto& r : registrations) {
        if (!isListening() || !eventDelivery)
            return;
        r.callback(r.target, r.refcon, service, event);
    }
}

void X11ClientState::deliverPropertyChange(const HidServiceClientRef& service,
                                           const QStringList& keys)
{
    const auto registrations = propertyCallbacks;
    for (const QString& key : keys) {
        std::optional<HidPropertyValue> value; // read once, and only if someone listens
        for (const auto& p : registrations) {
            if (p.key != key)
                continue;
            if (!isListening())
                return;
            if (!value)
                value = service->copyProperty(key);
            p.registration.callback(p.registration.target, p.registration.refcon, key, *value);
        }
    }
}

X11EventSystemClient::X11EventSystemClient(std::shared_ptr<X11Session> session)
    : m_session(std::move(session)), m_state(std::make_shared<X11ClientState>())
{
    m_session->attachClient(m_state);
}

X11EventSystemClient::~X11EventSystemClient()
{
    m_state->destroyed = true;
    m_session->updateRawInputSelection();
}

void X11EventSystemClient::setMatchingMultiple(const std::vector<HidMatchingDictionary>& matching)
{
    m_state->matching = matching;
}

void X11EventSystemClient::registerDeviceMatchingCallback(HidDeviceMatchingCallback callback,
                                                          void* target, void* refcon)
{
    m_state->matchingCallbacks.push_back({callback, target, refcon});
}

void X11EventSystemClient::unregisterDeviceMatchingCallback(HidDeviceMatchingCallback callback,
                                                            void* target, void* refcon)
{
    std::erase(m_state->matchingCallbacks,
               X11ClientState::Registration<HidDeviceMatchingCallback>{callback, target, refcon});
}

void X11EventSystemClient::registerEventCallback(HidEventCallback callback, void* target,
                                                 void* refcon)
{
    m_state->eventCallbacks.push_back({callback, target, refcon});
    m_session->updateRawInputSelection();
}

void X11EventSystemClient::setEventDeliveryEnabled(bool enabled)
{
    m_state->eventDelivery = enabled;
    m_session->updateRawInputSelection();
}

void X11EventSystemClient::registerPropertyChangedCallback(const QString& key,
                                                           HidPropertyChangedCallback callback,
                                                           void* target, void* refcon)
{
    m_state->propertyCallbacks.push_back({key, {callback, target, refcon}});
}

void X11EventSystemClient::scheduleWithMainLoop()
{
    m_state->scheduled = true;
    m_session->updateRawInputSelection();
}

void X11EventSystemClient::unscheduleFromMainLoop()
{
    m_state->scheduled = false;
    m_session->updateRawInputSelection();
}

std::optional<std::vector<HidServiceClientRef>> X11EventSystemClient::copyServices()
{
    if (m_session->connection().isLost())
        return std::nullopt;
    std::vector<HidServiceClientRef> services;
    for (const auto& service : m_session->services()) {
        if (m_state->matches(*service))
            services.push_back(service);
    }
    return services;
}

HidServiceClientRef X11EventSystemClient::copyServiceForRegistryID(std::uint64_t registryID)
{
    const auto service = m_session->serviceForRegistryID(registryID);
    return service && m_state->matches(*service) ? service : nullptr;
}

} // namespace veloquill::x11
