// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/pointer_device_manager.h"

#include "support/log.h"

namespace veloquill {

namespace {
// Stands in when the program installed no event system: nothing can be observed.
class UnavailableBackend final : public PointerBackend
{
public:
    std::unique_ptr<DeviceWatch> watchDevices() override { return nullptr; }
    ControlUnavailableReason controlUnavailableReason() override
    {
        return ControlUnavailableReason::DisplayLost;
    }
    void forgetOriginals() override {}
};

// Set at start, on the main thread like everything here, before the manager is first used.
std::shared_ptr<PointerBackend>& sharedEventSystemSlot()
{
    static std::shared_ptr<PointerBackend> eventSystem;
    return eventSystem;
}
} // namespace

PointerDeviceManager::PointerDeviceManager(std::shared_ptr<PointerBackend> eventSystem,
                                           QObject* parent)
    : QObject(parent),
      m_eventSystem(eventSystem ? std::move(eventSystem) : std::make_shared<UnavailableBackend>())
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

} // namespace veloquill
