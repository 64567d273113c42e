// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/pointer_device_manager.h"

#include <mutex>

namespace veloquill {

namespace {
// Stands in when the program installed no event system: nothing can be observed.
class UnavailableHidEventSystem final : public HidEventSystem
{
public:
    std::unique_ptr<HidEventSystemClient> createClient() override { return nullptr; }
    bool canControlPointerDevices() override { return false; }
    void forgetOriginals() override {}
};

std::mutex& sharedEventSystemMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<HidEventSystem>& sharedEventSystemSlot()
{
    static std::shared_ptr<HidEventSystem> eventSystem;
    return eventSystem;
}
} // namespace

PointerDeviceManager::PointerDeviceManager(std::shared_ptr<HidEventSystem> eventSystem,
                                           QObject* parent)
    : QObject(parent), m_eventSystem(eventSystem ? std::move(eventSystem)
                                                 : std::make_shared<UnavailableHidEventSystem>())
{}

// The registrations end with their members, so nothing calls this manager once it is gone.
PointerDeviceManager::~PointerDeviceManager() = default;

void PointerDeviceManager::installSharedEventSystem(std::shared_ptr<HidEventSystem> eventSystem)
{
    std::lock_guard lock(sharedEventSystemMutex());
    sharedEventSystemSlot() = std::move(eventSystem);
}

PointerDeviceManager& PointerDeviceManager::shared()
{
    static PointerDeviceManager* instance = [] {
        std::shared_ptr<HidEventSystem> eventSystem;
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
