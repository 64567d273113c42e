// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/pointer_device_manager.h"

#include "support/log.h"
#include "support/number_format.h"

#include <QCoreApplication>
#include <QMetaMethod>

#include <algorithm>
#include <map>

namespace veloquill {

namespace {
// Set at start, on the main thread like everything here, before the manager is first used.
std::shared_ptr<PointerBackend>& sharedEventSystemSlot()
{
    static std::shared_ptr<PointerBackend> eventSystem;
    return eventSystem;
}

QString failureReason(RestoreOutcome outcome)
{
    switch (outcome) {
    case RestoreOutcome::Refused:
        return QStringLiteral("their event system refused the writes.");
    case RestoreOutcome::Unconfirmed:
        return QStringLiteral("their event system did not confirm the writes in time.");
    default:
        return QStringLiteral("the connection to their event system is gone.");
    }
}
} // namespace

PointerDeviceManager::PointerDeviceManager(std::shared_ptr<PointerBackend> eventSystem)
    : m_eventSystem(std::move(eventSystem))
{}

// The registrations end with their members, so nothing calls this manager once it is gone.
PointerDeviceManager::~PointerDeviceManager() = default;

void PointerDeviceManager::installSharedEventSystem(std::shared_ptr<PointerBackend> eventSystem)
{
    sharedEventSystemSlot() = std::move(eventSystem);
}

PointerDeviceManager& PointerDeviceManager::shared()
{
    // Lives for the whole process: never destroyed, like the devices it restores.
    static PointerDeviceManager* instance = new PointerDeviceManager(sharedEventSystemSlot());
    return *instance;
}

void PointerDeviceManager::startObservation()
{
    if (m_eventSystemClient) {
        logLine(QStringLiteral("PointerDeviceManager: startObservation called but "
                               "eventSystemClient is already initialized. Observation likely "
                               "active."));
        const auto services = m_eventSystemClient->devices();
        if (!services)
            return;
        logLine(QStringLiteral("PointerDeviceManager: Re-scanning for existing services on "
                               "active client."));
        for (const BackendDeviceRef& service : *services)
            addDevice(service);
        return;
    }

    logLine(QStringLiteral(
        "PointerDeviceManager: Attempting to create IOHIDEventSystemClient for observation."));
    auto client = m_eventSystem->watchDevices();
    if (!client) {
        logLine(QStringLiteral("PointerDeviceManager: Failed to create IOHIDEventSystemClient."));
        return;
    }
    logLine(QStringLiteral("PointerDeviceManager: IOHIDEventSystemClient created successfully."));
    m_eventSystemClient = std::move(client);

    m_deviceMatchingRegistration = m_eventSystemClient->onDeviceAdded(
        [this](const BackendDeviceRef& service) { addDevice(service); });
    m_eventSystemClient->start();

    if (const auto services = m_eventSystemClient->devices()) {
        logLine(QStringLiteral("PointerDeviceManager: Found ") + QString::number(services->size()) +
                QStringLiteral(" initial services."));
        for (const BackendDeviceRef& service : *services)
            addDevice(service);
    } else {
        logLine(QStringLiteral("PointerDeviceManager: No initial services found or failed to "
                               "copy services."));
    }

    // An arrival observer above may have stopped observation again.
    if (!m_eventSystemClient)
        return;
    logLine(QStringLiteral("PointerDeviceManager: Observation started and initial devices "
                           "processed. Initialization complete."));
}

void PointerDeviceManager::stopObservation()
{
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
    m_eventSystemClient->stop();
    logLine(QStringLiteral("[PointerDeviceManager] stopObservation: Unscheduled "
                           "eventSystemClient from dispatch queue."));
    m_eventSystemClient.reset();
    logLine(QStringLiteral("[PointerDeviceManager] stopObservation: Set eventSystemClient to nil. "
                           "IOKit listening stopped."));
}

// What happens when a pointer service arrives or leaves.

void PointerDeviceManager::addDevice(const BackendDeviceRef& client)
{
    logLine(QStringLiteral("PointerDeviceManager: addDevice(forClient:) called for client: ") +
            client->describe());
    if (mappedDevice(client)) {
        logLine(QStringLiteral("PointerDeviceManager: Client already exists: ") +
                client->describe());
        return;
    }

    const PointerDeviceRef device = PointerDevice::create(client);
    const QString name = device->name();
    logLine(QStringLiteral("PointerDeviceManager: Created PointerDevice: ") + name);
    logInitialResolution(*device);

    m_mappedDevices.push_back(device);
    logLine(QStringLiteral("PointerDeviceManager: Added device to serviceClientToPointerDevice "
                           "map: ") +
            name);

    // Every device object is listed, twins too (two identical mice without serial numbers):
    // they share a stableID, which says which record applies, but each is a device to write.
    m_devices.push_back(device);
    Q_EMIT devicesChanged();
    logLine(QStringLiteral("PointerDeviceManager: Appended device to @Published devices array: ") +
            name + QStringLiteral(" (stableID: ") + device->stableID() + QLatin1Char(')'));

    if (isSignalConnected(QMetaMethod::fromSignal(&PointerDeviceManager::deviceAdded))) {
        logLine(QStringLiteral("PointerDeviceManager: Triggering deviceAdded callback for "
                               "device: ") +
                name);
        Q_EMIT deviceAdded(device);
    }

    m_removalRegistrations[client] =
        client->onRemoved([this](const BackendDeviceRef& service) { removalCallback(service); });
    logLine(QStringLiteral("PointerDeviceManager: Registered removal block for client: ") +
            client->describe());
}

PointerDeviceRef PointerDeviceManager::mappedDevice(const BackendDeviceRef& client) const
{
    for (const PointerDeviceRef& device : m_mappedDevices) {
        if (device->client() == client)
            return device;
    }
    return nullptr;
}

void PointerDeviceManager::logInitialResolution(const PointerDevice& device)
{
    const QString name = device.name();
    const auto resolution = device.pointerResolution();
    if (!resolution) {
        logLine(QStringLiteral("[PointerDeviceManager] Warning: Could not read initial pointer "
                               "resolution for device ") +
                name);
        return;
    }
    logLine(QStringLiteral("[PointerDeviceManager] Recorded initial pointer resolution ") +
            formatReal(*resolution) + QStringLiteral(" for device ") + name);
}

void PointerDeviceManager::removalCallback(const BackendDeviceRef& client)
{
    m_removalRegistrations.erase(client); // it runs once
    if (!m_eventSystemClient)
        logLine(QStringLiteral("PointerDeviceManager: Manager eventSystemClient is nil during "
                               "device removal, continuing anyway"));
    logLine(QStringLiteral("PointerDeviceManager: Device removal callback triggered for client: ") +
            client->describe());
    logLine(QStringLiteral("PointerDeviceManager: removeDevice(forClient:) called for client: ") +
            client->describe());
    const PointerDeviceRef device = mappedDevice(client);
    if (!device) {
        logLine(QStringLiteral("PointerDeviceManager: No device found for client in "
                               "removeDevice(forClient:): ") +
                client->describe());
        return;
    }
    std::erase(m_mappedDevices, device);
    logLine(QStringLiteral("PointerDeviceManager: Found device to remove: ") + device->name());
    // A device with an empty name leaves like any other: keeping it listed would show and
    // restore a device that is gone.
    logLine(QStringLiteral("PointerDeviceManager: Removed device from serviceClientToPointerDevice "
                           "map: ") +
            device->name());
    // The list changes on a later turn, never inside the backend's callback.
    const QPointer<PointerDeviceManager> weakManager(this);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [weakManager, device] {
            if (weakManager)
                weakManager->removeFromListedDevices(device);
            else
                logLine(QStringLiteral(
                    "PointerDeviceManager: Manager deallocated during device removal"));
        },
        Qt::QueuedConnection);
}

void PointerDeviceManager::removeFromListedDevices(const PointerDeviceRef& device)
{
    const QString stableID = device->stableID();
    const QString name = device->name();
    // The device object that left, not the first of its stableID: a twin stays listed.
    const auto it = std::find(m_devices.begin(), m_devices.end(), device);
    if (it == m_devices.end()) {
        logLine(QStringLiteral("PointerDeviceManager: Device (stableID: ") + stableID +
                QStringLiteral(") not found in @Published devices array for removal: ") + name);
        return;
    }
    m_devices.erase(it);
    Q_EMIT devicesChanged();
    logLine(QStringLiteral("PointerDeviceManager: Removed device from @Published devices array: ") +
            name + QStringLiteral(" (stableID: ") + stableID + QLatin1Char(')'));

    logLine(QStringLiteral("PointerDeviceManager: Remaining devices after removal (") +
            QString::number(m_devices.size()) + QStringLiteral(" total):"));
    for (const PointerDeviceRef& remaining : m_devices)
        logLine(QStringLiteral("  - ") + remaining->name() + QStringLiteral(" (stableID: ") +
                remaining->stableID() + QLatin1Char(')'));
    if (m_devices.empty())
        logLine(QStringLiteral("[No devices remaining - device switching may be needed]"));
}

bool PointerDeviceManager::restoreInitialPointerSettings()
{
    // Named before the restore's writes: after them a backend may have to ask its desktop again
    // for every name (X11: the writes' property events are not yet handled).
    std::map<const PointerDevice*, QString> labels;
    for (const PointerDeviceRef& device : m_mappedDevices)
        labels.emplace(device.get(), device->name());
    m_eventSystem->prepareRestore();
    // Every service present, also a twin the published list shows under its sibling.
    logLine(QStringLiteral("[PointerDeviceManager] Attempting to restore initial pointer settings "
                           "for ") +
            QString::number(m_mappedDevices.size()) + QStringLiteral(" devices."));
    std::map<RestoreOutcome, std::size_t> failures;
    for (const PointerDeviceRef& device : m_mappedDevices) {
        const auto known = labels.find(device.get());
        const QString label = known != labels.end() ? known->second : device->name();
        const RestoreOutcome outcome = device->client()->restoreFirstSeen();
        switch (outcome) {
        case RestoreOutcome::Restored:
            logLine(QStringLiteral("[PointerDeviceManager] Restored initial pointer resolution and "
                                   "acceleration for device ") +
                    label);
            break;
        case RestoreOutcome::Untouched:
            logLine(QStringLiteral("[PointerDeviceManager] Nothing to restore for device ") +
                    label + QStringLiteral(": never changed"));
            break;
        case RestoreOutcome::Unreachable:
        case RestoreOutcome::Refused:
        case RestoreOutcome::Unconfirmed:
            ++failures[outcome];
            break;
        }
    }
    const std::size_t unlisted = m_eventSystem->restoreUnlisted();
    for (const auto& [outcome, count] : failures) {
        logLine(QStringLiteral("[PointerDeviceManager] Could not restore ") +
                QString::number(count) + QStringLiteral(" devices: ") + failureReason(outcome));
    }
    if (unlisted > 0)
        logLine(QStringLiteral("[PointerDeviceManager] Could not restore ") +
                QString::number(unlisted) +
                QStringLiteral(" devices that are not listed (the line above says why)."));
    // Everything still on record, or set aside when it was read, is named with where it is.
    m_notPutBack = m_eventSystem->notPutBack().join(QStringLiteral("; "));
    if (!m_notPutBack.isEmpty())
        logLine(QStringLiteral("[PointerDeviceManager] Not put back: ") + m_notPutBack);
    const bool restored = failures.empty() && unlisted == 0 && m_notPutBack.isEmpty();
    if (restored)
        m_eventSystem->forgetOriginals();
    logLine(QStringLiteral("[PointerDeviceManager] Cleared stored initial resolutions."));
    return restored;
}

} // namespace veloquill
