// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "device/pointer_backend.h"
#include "sim/simulated_device.h"

#include <memory>

namespace veloquill::sim {

// A backend that lives inside the test, like any other, whose devices come and go when the
// test says. Everything it reports reaches the watches on a later turn of the main loop, never
// inside the call that caused it, and only while they are started (work queued before a watch
// is stopped is dropped). Deterministic: no threads, no timers.
class SimulatedBackend : public PointerBackend
{
public:
    SimulatedBackend();

    std::unique_ptr<DeviceWatch> watchDevices() override;
    ControlUnavailableReason controlUnavailableReason() override
    {
        return ControlUnavailableReason::NoReason;
    }
    void forgetOriginals() override { ++m_originalsForgotten; }
    int originalsForgotten() const { return m_originalsForgotten; }

    // A new device is announced to every started watch, unless it has left by then.
    std::shared_ptr<SimulatedDevice> addDevice(DeviceSpec spec);
    // The device leaves: its removal callbacks run once, on the main loop.
    void removeDevice(const std::shared_ptr<SimulatedDevice>& device);

    void setWatchFails(bool fails) { m_watchFails = fails; }
    bool settingsSharedByKind() const override { return m_sharedByKind; }
    void setSettingsSharedByKind(bool shared) { m_sharedByKind = shared; }
    void setDevicesFails(bool fails);

    struct World;

private:
    std::shared_ptr<World> m_world;
    std::uint64_t m_nextRegistryID = 4294968001;
    bool m_watchFails = false;
    bool m_sharedByKind = false;
    int m_originalsForgotten = 0;
};

} // namespace veloquill::sim
