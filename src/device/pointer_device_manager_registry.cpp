// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// What happens when a pointer service arrives or leaves.
#include "device/pointer_device_manager.h"

#include "support/log.h"
#include "support/number_format.h"

#include <QCoreApplication>
#include <QMetaMethod>

#include <algorithm>

namespace veloquill {

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

PointerDeviceRef PointerDeviceManager::unmapDevice(const BackendDeviceRef& client)
{
    PointerDeviceRef device = mappedDevice(client);
    std::erase(m_mappedDevices, device);
    return device;
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

void PointerDeviceManager::removalCallback(const BackendDeviceRef& service)
{
    m_removalRegistrations.erase(service); // it runs once
    if (!m_eventSystemClient)
        logLine(QStringLiteral("PointerDeviceManager: Manager eventSystemClient is nil during "
                               "device removal, continuing anyway"));
    logLine(QStringLiteral("PointerDeviceManager: Device removal callback triggered for client: ") +
            service->describe());
    removeDeviceForClient(service);
}

void PointerDeviceManager::removeDeviceForClient(const BackendDeviceRef& client)
{
    logLine(QStringLiteral("PointerDeviceManager: removeDevice(forClient:) called for client: ") +
            client->describe());
    const PointerDeviceRef device = unmapDevice(client);
    if (!device) {
        logLine(QStringLiteral("PointerDeviceManager: No device found for client in "
                               "removeDevice(forClient:): ") +
                client->describe());
        return;
    }
    logLine(QStringLiteral("PointerDeviceManager: Found device to remove: ") + device->name());
    removeDevice(device);
}

void PointerDeviceManager::removeDevice(const PointerDeviceRef& device)
{
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

} // namespace veloquill
