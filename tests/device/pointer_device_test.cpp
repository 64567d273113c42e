// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/pointer_device.h"

#include "sim/simulated_device.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace veloquill;
using sim::DeviceSpec;
using sim::SettingWrite;
using sim::SimulatedDevice;

namespace {

struct DeviceOnBackend
{
    explicit DeviceOnBackend(DeviceSpec spec)
        : backend(std::make_shared<SimulatedDevice>(std::move(spec))),
          device(PointerDevice::create(backend))
    {}
    std::shared_ptr<SimulatedDevice> backend;
    PointerDeviceRef device;
};

// The gain a 16.16 resolution stands for: the neutral resolution moves at 1.
double gainOf(std::int32_t fixedResolution)
{
    return 5073754.0 / fixedResolution;
}

} // namespace

TEST(PointerDevice, IdentityComesFromTheBackendWithFallbacks)
{
    // The device, then its stableID.
    const std::vector<std::pair<DeviceSpec, QString>> cases{
        {DeviceSpec::mouse("Desk-Pad Mouse", 4660, 171, QString("AB-12")),
         "4660-171-Desk_Pad Mouse-AB-12"},
        {DeviceSpec::mouse("Wide", 0x1ABCDE, 0xfeed), "1752286-65261-Wide-N/A"},
        {DeviceSpec{}, "0-0-(unknown)-N/A"},
    };
    for (const auto& [spec, stableID] : cases)
        EXPECT_EQ(DeviceOnBackend(spec).device->stableID(), stableID);
}

// The layer keeps resolutions as 16.16 always held them; the backend is told the gain.
TEST(PointerDevice, WritesAreBoundedTruncatedToFixedPointAndSentAsGain)
{
    using Kind = SettingWrite::Kind;
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    const auto resolution = &PointerDevice::setPointerResolution;
    const auto acceleration = &PointerDevice::setPointerAcceleration;
    test::LogCapture refusals; // their wording is pinned in the transcript
    // The setter, the value, and what the backend is told (nothing: refused).
    const std::vector<std::tuple<decltype(resolution), double, std::optional<SettingWrite>>> cases{
        {resolution, 5.0, SettingWrite{Kind::Gain, gainOf(655360)}},
        {resolution, 3000.0, SettingWrite{Kind::Gain, gainOf(130744320)}},
        {resolution, 56.33802816901409, SettingWrite{Kind::Gain, gainOf(3692169)}},
        {resolution, nan, std::nullopt},
        {acceleration, -1.0, SettingWrite{Kind::AccelerationOff}},
        {acceleration, -0.5, SettingWrite{Kind::Acceleration, 0.0}},
        {acceleration, 25.0, SettingWrite{Kind::Acceleration, 20.0}},
        {acceleration, 0.1, SettingWrite{Kind::Acceleration, 6553 / 65536.0}},
        {acceleration, inf, std::nullopt},
    };
    for (const auto& [set, value, written] : cases) {
        SCOPED_TRACE(value);
        DeviceOnBackend d(DeviceSpec::mouse("Mouse", 1, 2));
        ((*d.device).*set)(value);
        EXPECT_EQ(d.backend->writes(),
                  written ? std::vector{*written} : std::vector<SettingWrite>{});
    }
    EXPECT_EQ(refusals.lines().size(), 2);
}

TEST(PointerDevice, ReadsGiveBackTheResolutionWrittenAndOffAsMinusOne)
{
    DeviceOnBackend d(DeviceSpec::mouse("Mouse", 1, 2));
    for (double resolution : {10.0, 56.33802816901409, 77.41935483870967, 400.0, 1995.0}) {
        d.device->setPointerResolution(resolution);
        EXPECT_EQ(d.device->pointerResolution(), std::trunc(resolution * 65536) / 65536)
            << resolution;
    }
    d.device->setPointerAcceleration(-1.0);
    EXPECT_EQ(d.device->pointerAcceleration(), -1.0);
    EXPECT_EQ(d.device->defaultPointerResolution(), std::nullopt); // reported: settings tests
    d.backend->change([](PointerSettings& s) { s = {}; }); // no speed or acceleration setting
    EXPECT_EQ(d.device->pointerResolution(), std::nullopt);
    EXPECT_EQ(d.device->pointerAcceleration(), std::nullopt);
    // A gain no resolution stands for reads as nothing rather than as a wrapped integer.
    for (double gain : {0.0, -1.0, std::nan(""), std::numeric_limits<double>::infinity(), 1e-9}) {
        d.backend->change([gain](PointerSettings& s) { s.gain = gain; });
        EXPECT_EQ(d.device->pointerResolution(), std::nullopt) << gain;
    }
}
