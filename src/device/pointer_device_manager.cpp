// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/pointer_device_manager.h"

#include <mutex>

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

std::mutex& sharedEventSystemMutex()
{
    static std::mutex mutex;
    return mutex;
}

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
    std::lock_guard lock(sharedEventSystemMutex());
    sharedEventSystemSlot() = std::move(eventSystem);
}

PointerDeviceManager& PointerDeviceManager::shared()
{
    static PointerDeviceManager* instance = [] {
        std::shared_ptr<PointerBackend> eventSystem;
        {
            std::lock_guard lock(sharedEventSystemMutex());
            eventSystem = sharedEventSystemSlot();
        }
        // Lives for the whole process: never destroyed, like the devices it restores.
        return new PointerDeviceManager(std::move(eventSystem));
    }();
    return *instance;
}

void PointerDeviceManager::replaceDevices(std::vector<PointerDeviceRef> devices)
{
    Q_EMIT devicesWillChange();
    m_devices = std::move(devices);
    Q_EMIT devicesChanged();
}

} // namespace veloquill
