#pragma once

#include "device/hid_event_system.h"
#include "device/initialization_flag.h"
#include "device/pointer_device.h"
#include "device/service_client_device_map.h"
#include "observation/observation_token.h"

#include <QObject>
#include <QPointer>
#include <QUuid>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace veloquill {

// The registry of pointer devices: watches the HID event system for pointer services,
// keeps one PointerDevice per service and a published list with one device per stableID,
// tells subscribers of arrivals, removals, property changes and input events, and puts
// every device's resolution back at quit.
class PointerDeviceManager : public QObject
{
    Q_OBJECT

public:
    using DeviceObserver = std::function<void(PointerDeviceManager&, const PointerDeviceRef&)>;
    using PropertyObserver = std::function<void(PointerDeviceManager&)>;
    using EventObserver =
        std::function<void(PointerDeviceManager&, const PointerDeviceRef&, const HidEventRef&)>;

    // Tests and the program build managers on an event system of their choice.
    explicit PointerDeviceManager(std::shared_ptr<HidEventSystem> eventSystem,
                                  QObject* parent = nullptr);
    ~PointerDeviceManager() override;

    // The one manager the program uses. Its event system is the one installed by
    // installSharedEventSystem before first use (none: observation cannot start).
    static PointerDeviceManager& shared();
    static void installSharedEventSystem(std::shared_ptr<HidEventSystem> eventSystem);

    void startObservation();
    void stopObservation();
    bool isObserving() const { return m_eventSystemClient != nullptr; }

    // In order of arrival, at most one per stableID.
    const std::vector<PointerDeviceRef>& devices() const { return m_devices; }

    std::shared_ptr<ObservationToken> observeDeviceAdded(DeviceObserver observer);
    std::shared_ptr<ObservationToken> observeDeviceRemoved(DeviceObserver observer);
    // The key is registered with the event system only when observation next starts.
    std::shared_ptr<ObservationToken> observePropertyChanged(const QString& property,
                                                             PropertyObserver observer);
    std::shared_ptr<ObservationToken> observeEventReceived(EventObserver observer);

    PointerDeviceRef pointerDeviceFromIOHIDEvent(const HidEventRef& event) const;

    // Puts back each listed device's first-seen resolution and the system's default
    // acceleration (or 0.6875), then forgets the recorded resolutions.
    void restoreInitialPointerSettings();
    std::optional<double> getSystemDefaultPointerAcceleration();

    // The recorded first-seen resolution of a service, if any.
    std::optional<double> initialResolution(const HidServiceClientRef& client) const;

Q_SIGNALS:
    // Around every change of devices(): before the new list is stored, and after.
    void devicesWillChange();
    void devicesChanged();

private:
    struct PropertyObservation
    {
        QString property;
        PropertyObserver closure;
    };

    // Arrival and removal.
    void addDevice(const HidServiceClientRef& client);
    void removeDeviceForClient(const HidServiceClientRef& client);
    void removeDevice(const PointerDeviceRef& device);
    void removeFromListedDevices(const PointerDeviceRef& device);
    void notifyDeviceRemoved(const PointerDeviceRef& device);
    void recordInitialResolution(const HidServiceClientRef& client, const QString& name);
    PointerDeviceRef connectedTwinOf(const QString& stableID, const PointerDeviceRef& except) const;
    void replaceDevices(std::vector<PointerDeviceRef> devices);
    void propertyChangedCallback(const QString& key, const HidPropertyValue& value);
    void updateEventDelivery();
    std::optional<double> getSystemHIDProperty(const QString& key);

    template <typename Value>
    std::shared_ptr<ObservationToken> subscribe(std::map<QUuid, Value> PointerDeviceManager::*map,
                                                Value value);

    // Callbacks handed to the event system; the target is the manager.
    static void deviceMatchingCallback(void* target, void* refcon,
                                       const HidServiceClientRef& service);
    static void eventCallback(void* target, void* refcon, const HidServiceClientRef& service,
                              const HidEventRef& event);
    static void propertyChangedCallbackEntry(void* target, void* refcon, const QString& key,
                                             const HidPropertyValue& value);
    static void removalCallback(void* target, void* refcon, const HidServiceClientRef& service);

    std::shared_ptr<HidEventSystem> m_eventSystem;
    std::unique_ptr<HidEventSystemClient> m_eventSystemClient;
    // Resolutions as first seen, per service client; main thread only.
    std::unordered_map<HidServiceClientRef, double> m_initialDeviceResolutions;
    InitializationFlag m_isInitialized;
    std::map<QUuid, DeviceObserver> m_deviceAddedObservers;
    std::map<QUuid, DeviceObserver> m_deviceRemovedObservers;
    std::map<QUuid, PropertyObservation> m_propertyChangedObservers;
    std::map<QUuid, EventObserver> m_eventReceivedObservers;
    ServiceClientDeviceMap m_serviceClientToPointerDevice;
    std::vector<PointerDeviceRef> m_devices;
};

} // namespace veloquill
