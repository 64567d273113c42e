// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/pointer_device.h"

#include "device/hid_keys.h"
#include "device/hid_service_client_ops.h"
#include "sim/simulated_service.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace veloquill;
using sim::fixed;
using sim::PropertyWrite;
using sim::ServiceSpec;
using sim::SimulatedService;

namespace {

struct DeviceOnService
{
    explicit DeviceOnService(ServiceSpec spec)
        : service(std::make_shared<SimulatedService>(std::move(spec))),
          device(PointerDevice::create(service))
    {
        service->clearWrites();
    }
    std::shared_ptr<SimulatedService> service;
    PointerDeviceRef device;
};

constexpr auto text = &HidPropertyValue::text;

} // namespace

TEST(PointerDevice, IdentityComesFromTheServiceWithFallbacks)
{
    // The service, then the stableID and description of the device on it.
    const std::vector<std::tuple<ServiceSpec, QString, QString>> cases{
        {ServiceSpec::mouse("Desk-Pad Mouse", 4660, 171, QString("AB-12")),
         "4660-171-Desk_Pad Mouse-AB-12", "Desk-Pad Mouse (VID=0x1234, PID=0x00AB)"},
        {ServiceSpec::mouse("Wide", 0x1ABCDE, 0xfeed), "1752286-65261-Wide-N/A",
         "Wide (VID=0x1ABCDE, PID=0xFEED)"},
        {ServiceSpec{}, "0-0-(unknown)-N/A", "(unknown) (VID=(nil), PID=(nil))"},
        // A number where text belongs, or text where a number belongs, is unreadable...
        {ServiceSpec{{{"Product", fixed(7)},
                      {"VendorID", text("4660")},
                      {"ProductID", HidPropertyValue::real(171.5)}}},
         "0-0-(unknown)-N/A", "(unknown) (VID=(nil), PID=(nil))"},
        // ...but a whole real is an integer.
        {ServiceSpec{{{"Product", text("Ball")}, {"VendorID", HidPropertyValue::real(4660.0)}}},
         "4660-0-Ball-N/A", "Ball (VID=0x1234, PID=(nil))"},
    };
    for (const auto& [spec, stableID, description] : cases) {
        DeviceOnService d(spec);
        SCOPED_TRACE(stableID.toStdString());
        EXPECT_EQ(d.device->stableID(), stableID);
        EXPECT_EQ(d.device->description(), description);
    }
    DeviceOnService mouse(ServiceSpec::mouse("Mouse", 1, 2));
    EXPECT_EQ(mouse.device->product(), "Mouse");
    EXPECT_EQ(mouse.device->buttonCount(), 3);
    EXPECT_TRUE(mouse.device->conformsTo(1, 2));
    EXPECT_FALSE(mouse.device->conformsTo(1, 6));
    // Equal exactly when made from the same service, twins or not.
    const auto again = PointerDevice::create(mouse.service);
    EXPECT_EQ(*again, *mouse.device);
    EXPECT_EQ(again->hash(), mouse.device->hash());
    EXPECT_NE(*DeviceOnService(ServiceSpec::mouse("Mouse", 1, 2)).device, *mouse.device);
}

TEST(PointerDevice, WritesAreBoundedAndTruncatedToFixedPoint)
{
    const std::optional<double> off = -1.0;
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    const auto resolution = &PointerDevice::setPointerResolution;
    const auto acceleration = &PointerDevice::setPointerAcceleration;
    test::LogCapture refusals; // their wording is pinned in the transcript
    // The setter, the value, and what it writes (nothing: refused).
    const std::vector<
        std::tuple<decltype(resolution), std::optional<double>, std::optional<HidPropertyValue>>>
        cases{
            {resolution, 5.0, fixed(655360)},
            {resolution, 3000.0, fixed(130744320)},
            {resolution, 56.33802816901409, fixed(3692169)},
            {resolution, std::nullopt, HidPropertyValue()},
            {resolution, nan, std::nullopt},
            {acceleration, off, fixed(-65536)},
            {acceleration, -0.5, fixed(0)},
            {acceleration, 25.0, fixed(1310720)},
            {acceleration, inf, std::nullopt},
            {acceleration, std::nullopt, HidPropertyValue()},
        };
    for (const auto& [set, value, written] : cases) {
        SCOPED_TRACE(value ? *value : -999);
        DeviceOnService d(ServiceSpec::mouse("Mouse", 1, 2));
        ((*d.device).*set)(value);
        const QString key =
            set == resolution ? HidKey::PointerResolution : HidKey::PointerAcceleration;
        std::vector<PropertyWrite> expected;
        if (written)
            expected.push_back({key, *written});
        EXPECT_EQ(d.service->writes(), expected);
    }
}

TEST(PointerDevice, ReadsDivideByTwoToThe16AndRefuseWhatIsNot16Dot16)
{
    const std::vector<std::pair<HidPropertyValue, std::optional<double>>> cases{
        {fixed(26214400), 400.0},
        {text("fast"), std::nullopt},
        {fixed(1LL << 40), std::nullopt},
    };
    for (const auto& [stored, read] : cases) {
        DeviceOnService d(ServiceSpec{
            {{HidKey::PointerResolution, stored}, {HidKey::PointerAcceleration, stored}}});
        SCOPED_TRACE(stored.describe().toStdString());
        EXPECT_EQ(d.device->pointerResolution(), read);
        EXPECT_EQ(d.device->pointerAcceleration(), read);
    }
}

TEST(PointerDevice, AccelerationKeyFollowsTypeThenPointerThenMouseAcceleration)
{
    using Property = std::pair<const QString, HidPropertyValue>;
    const Property accel{HidKey::PointerAcceleration, fixed(45056)};
    const auto type = [](const QString& key) {
        return Property{HidKey::PointerAccelerationType, text(key)};
    };
    const auto linear = [](int v) {
        return Property{HidKey::UseLinearScalingMouseAcceleration, fixed(v)};
    };
    // The properties, the key acceleration is read from and written to, what reads.
    const std::vector<
        std::tuple<std::map<QString, HidPropertyValue>, QString, std::optional<double>>>
        cases{
            {{type("HIDTrackpad"), {"HIDTrackpad", fixed(131072)}, accel}, "HIDTrackpad", 2.0},
            {{accel}, HidKey::PointerAcceleration, 0.6875},
            {{}, HidKey::MouseAcceleration, std::nullopt},
            // Empty text still names the key: reads find nothing there, writes go under "".
            {{type(""), accel}, "", std::nullopt},
            // Linear scaling 1 means off, whatever the key holds; 0 does not.
            {{linear(1), accel}, HidKey::PointerAcceleration, -1.0},
            {{linear(0), accel}, HidKey::PointerAcceleration, 0.6875},
        };
    for (const auto& [properties, key, read] : cases) {
        SCOPED_TRACE(key.toStdString());
        DeviceOnService d(ServiceSpec{properties});
        EXPECT_EQ(d.device->pointerAccelerationType(), key);
        EXPECT_EQ(d.device->pointerAcceleration(), read);
        d.device->setPointerAcceleration(3.0);
        EXPECT_EQ(d.service->writes(), (std::vector<PropertyWrite>{{key, fixed(196608)}}));
    }
}

TEST(PointerDevice, PlainPropertiesAreWrittenAsGiven)
{
    DeviceOnService d(ServiceSpec::mouse("Mouse", 1, 2));
    d.device->setPointerAccelerationType(QString("HIDTrackpadAcceleration"));
    d.device->setPointerAccelerationType(std::nullopt);
    d.device->setUseLinearScalingMouseAcceleration(1);
    d.device->setUseLinearScalingMouseAcceleration(std::nullopt);
    EXPECT_EQ(d.service->writes(),
              (std::vector<PropertyWrite>{
                  {HidKey::PointerAccelerationType, text("HIDTrackpadAcceleration")},
                  {HidKey::PointerAccelerationType, {}},
                  {HidKey::UseLinearScalingMouseAcceleration, fixed(1)},
                  {HidKey::UseLinearScalingMouseAcceleration, {}}}));
}
