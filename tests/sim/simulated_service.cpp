#include "sim/simulated_service.h"

#include "sim/simulated_device.h"

#include <algorithm>

namespace veloquill::sim {

namespace {
constexpr std::uint64_t DetachedRegistryID = 4294968000;
} // namespace

SimulatedService::SimulatedService(ServiceSpec spec)
    : SimulatedService(spec, spec.registryID.value_or(DetachedRegistryID), {})
{}

SimulatedService::SimulatedService(ServiceSpec spec, std::uint64_t registryID,
                                   std::weak_ptr<SimulatedWorld> world)
    : m_spec(std::move(spec)), m_registryID(registryID), m_world(std::move(world))
{
    m_properties = m_spec.properties;
    // Named once, at arrival, so that log lines about one service always read the same.
    const auto product = property(QStringLiteral("Product")).toText();
    m_description = product ? QStringLiteral("SimulatedService(id=%1, \"%2\")")
                                  .arg(QString::number(m_registryID), *product)
                            : QStringLiteral("SimulatedService(id=%1)").arg(m_registryID);
    std::erase_if(m_properties, [](const auto& entry) { return entry.second.isNull(); });
}

SimulatedService::~SimulatedService() = default;

HidPropertyValue SimulatedService::copyProperty(const QString& key) const
{
    return property(key);
}

void SimulatedService::setProperty(const QString& key, const HidPropertyValue& value)
{
    m_writes.push_back({key, value});
    applyChange(key, value);
}

bool SimulatedService::conformsTo(std::uint32_t usagePage, std::uint32_t usage) const
{
    return std::ranges::find(m_spec.usages, std::pair{usagePage, usage}) != m_spec.usages.end();
}

std::optional<std::uint64_t> SimulatedService::registryID() const
{
    if (!m_spec.reportsRegistryID)
        return std::nullopt;
    return m_registryID;
}

void SimulatedService::registerRemovalCallback(HidServiceRemovalCallback callback, void* target,
                                               void* refcon)
{
    const CallbackRegistration<HidServiceRemovalCallback> registration{m_nextRemovalID++, callback,
                                                                       target, refcon};
    m_removalCallbacks.push_back(registration);
    if (const auto world = m_world.lock())
        world->last.removal = registration;
    // A service that is already gone tells a late registrant at once (on the main loop).
    if (m_removalDelivered)
        postToMainLoop([self = shared_from_this()] { self->deliverRemoval(); });
}

void SimulatedService::unregisterRemovalCallbacks(void* target)
{
    std::erase_if(m_removalCallbacks,
                  [target](const auto& registration) { return registration.target == target; });
}

std::shared_ptr<HidDevice> SimulatedService::createDevice()
{
    if (!m_spec.hasDevice)
        return nullptr;
    auto device = std::make_shared<SimulatedDevice>();
    std::erase_if(m_devices, [](const auto& weak) { return weak.expired(); });
    m_devices.push_back(device);
    ++m_createdDeviceCount;
    return device;
}

QString SimulatedService::describe() const
{
    return m_description;
}

HidPropertyValue SimulatedService::property(const QString& key) const
{
    const auto found = m_properties.find(key);
    return found == m_properties.end() ? HidPropertyValue() : found->second;
}

void SimulatedService::changePropertyExternally(const QString& key, const HidPropertyValue& value)
{
    applyChange(key, value);
}

std::vector<std::shared_ptr<SimulatedDevice>> SimulatedService::devices() const
{
    std::vector<std::shared_ptr<SimulatedDevice>> live;
    for (const auto& weak : m_devices) {
        if (auto device = weak.lock())
            live.push_back(std::move(device));
    }
    return live;
}

std::shared_ptr<SimulatedDevice> SimulatedService::device() const
{
    const auto live = devices();
    return live.empty() ? nullptr : live.back();
}

void SimulatedService::leave()
{
    if (m_left)
        return;
    m_left = true;
    postToMainLoop([self = shared_from_this()] { self->deliverRemoval(); });
}

void SimulatedService::applyChange(const QString& key, const HidPropertyValue& value)
{
    if (value.isNull())
        m_properties.erase(key);
    else
        m_properties[key] = value;
    // Like a real system, every write is reported, even one that leaves the value as it was.
    // A service that has left tells nobody.
    if (m_left)
        return;
    if (const auto world = m_world.lock())
        world->announcePropertyChange(key, value);
}

void SimulatedService::deliverRemoval()
{
    m_removalDelivered = true;
    // Registrations are looked up one by one: a callback may unregister others.
    std::vector<std::uint64_t> ids;
    for (const auto& registration : m_removalCallbacks)
        ids.push_back(registration.id);
    const HidServiceClientRef self = shared_from_this();
    for (const auto id : ids) {
        const auto found = std::ranges::find_if(
            m_removalCallbacks, [id](const auto& registration) { return registration.id == id; });
        if (found == m_removalCallbacks.end())
            continue;
        const auto registration = *found;
        m_removalCallbacks.erase(found); // once only
        registration.callback(registration.target, registration.refcon, self);
    }
}

} // namespace veloquill::sim
