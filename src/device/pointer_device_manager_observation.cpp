// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Connecting to the HID event system and the callbacks it delivers.
#include "device/pointer_device_manager.h"

#include "device/hid_keys.h"
#include "device/observer_map.h"
#include "support/log.h"

#include <QCoreApplication>

namespace veloquill {

namespace {
// Generic desktop mice and pointers.
std::vector<HidMatchingDictionary> mouseOrPointerMatching()
{
    return {
        {{HidKey::DeviceUsagePage, 1}, {HidKey::DeviceUsage, 2}},
        {{HidKey::DeviceUsagePage, 1}, {HidKey::DeviceUsage, 1}},
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

    m_isInitialized = false;
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
    m_deviceMatchingRegistration = m_eventSystemClient->registerDeviceMatchingCallback(
        [this](const HidServiceClientRef& service) { deviceMatchingCallback(service); });
    m_eventRegistration = m_eventSystemClient->registerEventCallback(
        [this](const HidServiceClientRef& service, const HidEventRef& event) {
            eventCallback(service, event);
        });
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
        m_propertyChangedRegistrations.push_back(
            m_eventSystemClient->registerPropertyChangedCallback(
                observation.property,
                [this, key = observation.property] { propertyChangedCallback(key); }));

    m_isInitialized = true;
    logLine(QStringLiteral("PointerDeviceManager: Observation started and initial devices "
                           "processed. Initialization complete."));
}

void PointerDeviceManager::stopObservation()
{
    m_isInitialized = false;
    if (!m_eventSystemClient) {
        logLine(QStringLiteral("[PointerDeviceManager] stopObservation: eventSystemClient is "
                               "already nil. Observation likely not active."));
        return;
    }
    logLine(QStringLiteral("[PointerDeviceManager] stopObservation: Stopping IOKit listening. "
                           "Device list will persist."));
    m_deviceMatchingRegistration.reset();
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
    m_eventRegistration.reset();
    m_propertyChangedRegistrations.clear();
    logLine(QStringLiteral("[PointerDeviceManager] stopObservation: Set eventSystemClient to nil. "
                           "IOKit listening stopped."));
}

// The registrations end before the client does, so the three callbacks below only run
// while observation is on.
void PointerDeviceManager::deviceMatchingCallback(const HidServiceClientRef& service)
{
    addDevice(service);
}

void PointerDeviceManager::eventCallback(const HidServiceClientRef& service,
                                         const HidEventRef& event)
{
    if (!m_isInitialized) {
        logLine(QStringLiteral(
            "PointerDeviceManager: Event received before initialization complete, ignoring"));
        return;
    }
    const PointerDeviceRef device = mappedDevice(service);
    if (!device)
        return;
    QPointer<PointerDeviceManager> weakManager(this);
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

PointerDeviceRef PointerDeviceManager::pointerDeviceFromIOHIDEvent(const HidEventRef& event) const
{
    if (!m_eventSystemClient) {
        logLine(QStringLiteral("PointerDeviceManager: pointerDeviceFromIOHIDEvent called but "
                               "eventSystemClient is nil"));
        return nullptr;
    }
    if (!m_isInitialized) {
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
    return mappedDevice(service);
}

} // namespace veloquill
