// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "device/hid_event_system.h"
#include "sim/simulated_service.h"

#include <QString>

#include <map>
#include <memory>

namespace veloquill::sim {

// A HID event system that lives inside the test: a backend like any other, whose services
// come and go when the test says. Everything it reports reaches the clients on a later turn
// of the main loop, never inside the call that caused it, and only while they are scheduled
// (work queued before a client is unscheduled is dropped). Deterministic: no threads, no
// timers.
//
// A client sees only services that conform to the "DeviceUsagePage" and "DeviceUsage" of one
// of its dictionaries; until it sets its matching it sees nothing.
class SimulatedHidEventSystem : public HidEventSystem
{
public:
    SimulatedHidEventSystem();
    ~SimulatedHidEventSystem() override;

    std::unique_ptr<HidEventSystemClient> createClient() override;
    bool canControlPointerDevices() override { return true; }
    void forgetOriginals() override { ++m_originalsForgotten; }
    int originalsForgotten() const { return m_originalsForgotten; }

    // A new service is announced to every scheduled client that matches it, unless it has
    // left by then.
    std::shared_ptr<SimulatedService> addService(ServiceSpec spec);
    // The service leaves: its removal callbacks run once, on the main loop.
    void removeService(const std::shared_ptr<SimulatedService>& service);

    void setCreateClientFails(bool fails) { m_createClientFails = fails; }
    bool settingsSharedByKind() const override { return m_sharedByKind; }
    void setSettingsSharedByKind(bool shared) { m_sharedByKind = shared; }
    void setCopyServicesFails(bool fails);
    // Unset parameters read as NoSystemService with code -536870212.

    struct World;

private:
    std::shared_ptr<World> m_world;
    std::uint64_t m_nextRegistryID = 4294968001;
    bool m_createClientFails = false;
    bool m_sharedByKind = false;
    int m_originalsForgotten = 0;
};

} // namespace veloquill::sim
