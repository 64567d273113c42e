// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "device/pointer_device_manager.h"
#include "sim/simulated_backend.h"
#include "support/log_capture.h"
#include "support/main_loop.h"

#include <gtest/gtest.h>

#include <memory>

namespace veloquill::test {

// A manager of its own on a simulated event system, with every log line captured.
class ManagerTest : public ::testing::Test
{
protected:
    std::shared_ptr<sim::SimulatedDevice> plugIn(const QString& name, std::int64_t vendor = 4660,
                                                 std::int64_t product = 171,
                                                 std::optional<QString> serial = std::nullopt,
                                                 double resolution = 400.0)
    {
        return system->addDevice(sim::DeviceSpec::mouse(name, vendor, product, serial, resolution));
    }

    void unplug(const std::shared_ptr<sim::SimulatedDevice>& service)
    {
        system->removeDevice(service);
        drainMainLoop();
    }

    LogCapture log;
    std::shared_ptr<sim::SimulatedBackend> system = std::make_shared<sim::SimulatedBackend>();
    std::unique_ptr<PointerDeviceManager> manager = std::make_unique<PointerDeviceManager>(system);
};

} // namespace veloquill::test
