// Connecting to the HID event system and the callbacks it delivers.
#include "device/pointer_device_manager.h"

#include "device/observer_map.h"
#include "support/log.h"

#include <QCoreApplication>

namespace veloquill {

namespace {
// Generic desktop mice and pointers.
std::vector<HidMatchingDictionary> mouseOrPointerMatching()
{
    return {
        {{QStringLiteral("DeviceUsagePage"), 1}, {QStringLiteral("DeviceUsage"), 2}},
        {{QStringLiteral("DeviceUsagePage"), 1}, {QStringLiteral("DeviceUsage"), 1}},
    };
}
} // namespace

void PointerDeviceManager::startObservation()
{
    if (m_eventSystemClient) {
        logLine(QStringLiteral("PointerDeviceManager: startObservation called but "
                               "eventSystemClient is already initialized. Observation likely "
                               "active."));
        const auto services = m_eventSystemClient->copyServices();
        if (!services)
            return;
        logLine(QStringLiteral("PointerDeviceManager: Re-scanning for existing services on "
                               "active client."));
        for (const HidServiceClientRef& service : *services)
            addDevice(service);
        return;
    }

    m_isInitialized.set(false);
    logLine(QStringLiteral(
        "PointerDeviceManager: Attempting to create IOHIDEventSystemClient for observation."));
    auto client = m_eventSystem->createClient();
    if (!client) {
        logLine(QStringLiteral("PointerDeviceManager: Failed to create IOHIDEventSystemClient."));
        return;
    }
    logLine(QStringLiteral("PointerDeviceManager: IOHIDEventSystemClient created successfully."));
    m_eventSystemClient = std::move(client);

    m_eventSystemClient->setMatchingMultiple(mouseOrPointerMatching());
    m_eventSystemClient->registerDeviceMatchingCallback(&deviceMatchingCallback, this, nullptr);
    m_eventSystemClient->registerEventCallback(&eventCallback, this, nullptr);
    updateEventDelivery();
    m_eventSystemClient->scheduleWithMainLoop();

    if (const auto services = m_eventSystemClient->copyServices()) {
        logLine(QStringLiteral("PointerDeviceManager: Found ") + QString::number(services->size()) +
                QStringLiteral(" initial services."));
        for (const HidServiceClientRef& service : *services)
            addDevice(service);
    } else {
        logLine(QStringLiteral("PointerDeviceManager: No initial services found or failed to "
                               "copy services."));
    }

    // An arrival observer above may have stopped observation again.
    if (!m_eventSystemClient)
        return;
    for (const auto& [id, observation] : m_propertyChangedObservers)
        m_eventSystemClient->registerPropertyChangedCallback(
            observation.property, &propertyChangedCallbackEntry, this, nullptr);

    m_isInitialized.set(true);
    logLine(QStringLiteral("PointerDeviceManager: Observation started and initial devices "
                           "processed. Initialization complete."));
}

void PointerDeviceManager::stopObservation()
{
    m_isInitialized.set(false);
    if (!m_eventSystemClient) {
        logLine(QStringLiteral("[PointerDeviceManager] stopObservation: eventSystemClient is "
                               "already nil. Observation likely not active."));
        return;
    }
    logLine(QStringLiteral("[PointerDeviceManager] stopObservation: Stopping IOKit listening. "
                           "Device list will persist."));
    m_eventSystemClient->unregisterDeviceMatchingCallback(&deviceMatchingCallback, this, nullptr);
    logLine(QStringLiteral(
        "[PointerDeviceManager] stopObservation: Unregistered device matching block."));
    logLine(QStringLiteral("[PointerDeviceManager] stopObservation: Event block unregistration "
                           "handled by client release."));
    logLine(QStringLiteral("[PointerDeviceManager] stopObservation: Property changed callback "
                           "unregistration handled by client release."));
    m_eventSystemClient->unscheduleFromMainLoop();
    logLine(QStringLiteral("[PointerDeviceManager] stopObservation: Unscheduled "
                           "eventSystemClient from dispatch queue."));
    m_eventSystemClient.reset();
    logLine(QStringLiteral("[PointerDeviceManager] stopObservation: Set eventSystemClient to nil. "
                           "IOKit listening stopped."));
}

void PointerDeviceManager::deviceMatchingCallback(void* target, void*,
                                                  const HidServiceClientRef& service)
{
    if (!target) {
        logLine(
            QStringLiteral("PointerDeviceManager: Error: context is nil in device matching block"));
        return;
    }
    auto* manager = static_cast<PointerDeviceManager*>(target);
    if (!manager->m_eventSystemClient) {
        logLine(QStringLiteral("PointerDeviceManager: Manager eventSystemClient is nil during "
                               "device matching, ignoring"));
        return;
    }
    if (!service) {
        logLine(QStringLiteral(
            "PointerDeviceManager: Error: serviceClient is nil in device matching block"));
        return;
    }
    manager->addDevice(service);
}

void PointerDeviceManager::eventCallback(void* target, void*, const HidServiceClientRef& service,
                                         const HidEventRef& event)
{
    if (!target) {
        logLine(QStringLiteral("PointerDeviceManager: Event callback called with nil context"));
        return;
    }
    if (!service || !event) {
        logLine(
            QStringLiteral("PointerDeviceManager: Event callback called with nil client or event"));
        return;
    }
    auto* manager = static_cast<PointerDeviceManager*>(target);
    if (!manager->m_eventSystemClient) {
        logLine(QStringLiteral("PointerDeviceManager: Manager eventSystemClient is nil during "
                               "event callback, ignoring"));
        return;
    }
    if (!manager->m_isInitialized.get()) {
        logLine(QStringLiteral(
            "PointerDeviceManager: Event received before initialization complete, ignoring"));
        return;
    }
    const PointerDeviceRef device = manager->m_serviceClientToPointerDevice.get(service);
    if (!device)
        return;
    QPointer<PointerDeviceManager> weakManager(manager);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [weakManager, device, event] {
            if (!weakManager) {
                logLine(QStringLiteral(
                    "PointerDeviceManager: Manager deallocated during event processing"));
                return;
            }
            PointerDeviceManager& self = *weakManager;
            forEachLiveObserver(self.m_eventReceivedObservers,
                                [&](EventObserver& observer) { observer(self, device, event); });
        },
        Qt::QueuedConnection);
}

void PointerDeviceManager::propertyChangedCallbackEntry(void* target, void*, const QString& key,
                                                        const HidPropertyValue& value)
{
    if (!target || key.isNull())
        return;
    auto* manager = static_cast<PointerDeviceManager*>(target);
    if (!manager->m_eventSystemClient) {
        logLine(QStringLiteral("PointerDeviceManager: Manager eventSystemClient is nil during "
                               "property change callback, ignoring"));
        return;
    }
    manager->propertyChangedCallback(key, value);
}

PointerDeviceRef PointerDeviceManager::pointerDeviceFromIOHIDEvent(const HidEventRef& event) const
{
    if (!m_eventSystemClient) {
        logLine(QStringLiteral("PointerDeviceManager: pointerDeviceFromIOHIDEvent called but "
                               "eventSystemClient is nil"));
        return nullptr;
    }
    if (!m_isInitialized.get()) {
        logLine(QStringLiteral("PointerDeviceManager: pointerDeviceFromIOHIDEvent called before "
                               "initialization complete"));
        return nullptr;
    }
    if (!event)
        return nullptr;
    const HidServiceClientRef service =
        m_eventSystemClient->copyServiceForRegistryID(event->senderID);
    if (!service)
        return nullptr;
    return m_serviceClientToPointerDevice.get(service);
}

} // namespace veloquill
