#include "device/pointer_device.h"

#include "device/hid_service_client_ops.h"
#include "sim/simulated_device.h"
#include "sim/simulated_service.h"
#include "support/log_capture.h"
#include "support/main_loop.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace veloquill;
using sim::PropertyWrite;
using sim::ServiceSpec;
using sim::SimulatedService;

namespace {

struct DeviceOnService
{
    explicit DeviceOnService(ServiceSpec spec)
        : service(std::make_shared<SimulatedService>(std::move(spec))),
          device(PointerDevice::create(service))
    {}
    std::shared_ptr<SimulatedService> service;
    PointerDeviceRef device;
};

ServiceSpec withProperties(std::map<QString, HidPropertyValue> properties)
{
    ServiceSpec spec;
    spec.properties = std::move(properties);
    return spec;
}

HidPropertyValue fixed(std::int64_t value)
{
    return HidPropertyValue::integer(value);
}

} // namespace

TEST(PointerDeviceIdentity, StableIdJoinsVendorProductNameAndSerial)
{
    DeviceOnService withSerial(ServiceSpec::mouse("Desk-Pad Mouse", 4660, 171, QString("AB-12")));
    EXPECT_EQ(withSerial.device->stableID(), "4660-171-Desk_Pad Mouse-AB-12");

    DeviceOnService withoutSerial(ServiceSpec::mouse("Desk-Pad Mouse", 4660, 171));
    EXPECT_EQ(withoutSerial.device->stableID(), "4660-171-Desk_Pad Mouse-N/A");
    EXPECT_EQ(withoutSerial.device->serialNumber(), std::nullopt);
}

TEST(PointerDeviceIdentity, UnreadableFieldsFallBack)
{
    DeviceOnService bare(withProperties({}));
    EXPECT_EQ(bare.device->name(), "(unknown)");
    EXPECT_EQ(bare.device->product(), std::nullopt);
    EXPECT_EQ(bare.device->stableID(), "0-0-(unknown)-N/A");
    EXPECT_EQ(bare.device->description(), "(unknown) (VID=(nil), PID=(nil))");

    // A number where text belongs, or text where a number belongs, is unreadable.
    DeviceOnService mistyped(withProperties({{"Product", HidPropertyValue::integer(7)},
                                             {"VendorID", HidPropertyValue::text("4660")},
                                             {"ProductID", HidPropertyValue::real(171.5)}}));
    EXPECT_EQ(mistyped.device->stableID(), "0-0-(unknown)-N/A");
    EXPECT_EQ(mistyped.device->vendorIDString(), "(nil)");
}

TEST(PointerDeviceIdentity, DescriptionUsesUpperCaseHexWithFourDigits)
{
    DeviceOnService travel(ServiceSpec::mouse("Travel Mouse", 0x1234, 0xAB));
    EXPECT_EQ(travel.device->description(), "Travel Mouse (VID=0x1234, PID=0x00AB)");
    DeviceOnService wide(ServiceSpec::mouse("Wide", 0x1ABCDE, 0xfeed));
    EXPECT_EQ(wide.device->vendorIDString(), "0x1ABCDE");
    EXPECT_EQ(wide.device->productIDString(), "0xFEED");
}

TEST(PointerDeviceIdentity, WholeRealsReadAsIntegers)
{
    DeviceOnService device(
        withProperties({{"VendorID", HidPropertyValue::real(4660.0)},
                        {"HIDPointerButtonCount", HidPropertyValue::real(5.0)}}));
    EXPECT_EQ(device.device->vendorID(), 4660);
    EXPECT_EQ(device.device->buttonCount(), 5);
}

TEST(PointerDeviceEquality, DevicesOnTheSameServiceAreEqualAndHashAlike)
{
    auto service = std::make_shared<SimulatedService>(ServiceSpec::mouse("Twin", 1, 2));
    auto first = PointerDevice::create(service);
    auto second = PointerDevice::create(service);
    EXPECT_EQ(*first, *second);
    EXPECT_EQ(first->hash(), second->hash());

    DeviceOnService identical(ServiceSpec::mouse("Twin", 1, 2));
    EXPECT_NE(*first, *identical.device);
    EXPECT_EQ(first->stableID(), identical.device->stableID());
}

TEST(PointerDeviceResolution, WritesAreClampedAndTruncatedToFixedPoint)
{
    DeviceOnService d(ServiceSpec::mouse("Mouse", 1, 2));
    d.service->clearWrites();
    d.device->setPointerResolution(5.0);
    d.device->setPointerResolution(3000.0);
    d.device->setPointerResolution(400.0);
    d.device->setPointerResolution(56.33802816901409);
    d.device->setPointerResolution(std::nullopt);
    const std::vector<PropertyWrite> expected{
        {"HIDPointerResolution", fixed(655360)},      {"HIDPointerResolution", fixed(130744320)},
        {"HIDPointerResolution", fixed(26214400)},    {"HIDPointerResolution", fixed(3692169)},
        {"HIDPointerResolution", HidPropertyValue()},
    };
    EXPECT_EQ(d.service->writes(), expected);
}

TEST(PointerDeviceResolution, ReadsDivideByTwoToThe16)
{
    DeviceOnService d(ServiceSpec::mouse("Mouse", 1, 2, std::nullopt, 400.0));
    EXPECT_EQ(d.device->pointerResolution(), 400.0);
    d.service->changePropertyExternally("HIDPointerResolution", fixed(3692169));
    EXPECT_DOUBLE_EQ(*d.device->pointerResolution(), 3692169 / 65536.0);
    d.service->changePropertyExternally("HIDPointerResolution", HidPropertyValue::text("fast"));
    EXPECT_EQ(d.device->pointerResolution(), std::nullopt);
    // Beyond 32 bits is not a 16.16 value.
    d.service->changePropertyExternally("HIDPointerResolution", fixed(1LL << 40));
    EXPECT_EQ(d.device->pointerResolution(), std::nullopt);
}

TEST(PointerDeviceResolution, NonFiniteValuesAreRefusedWithOneLine)
{
    test::LogCapture log;
    DeviceOnService d(ServiceSpec::mouse("Mouse", 1, 2));
    d.service->clearWrites();
    d.device->setPointerResolution(std::nan(""));
    d.device->setPointerAcceleration(std::numeric_limits<double>::infinity());
    d.device->setPointerAcceleration(-std::numeric_limits<double>::infinity());
    EXPECT_TRUE(d.service->writes().empty());
    EXPECT_EQ(log.lines(),
              QStringList({"PointerDevice: Refusing to write nan under key 'HIDPointerResolution': "
                           "not representable as 16.16 fixed point",
                           "PointerDevice: Refusing to write inf under key "
                           "'HIDPointerAcceleration': not representable as 16.16 fixed point",
                           "PointerDevice: Refusing to write -inf under key "
                           "'HIDPointerAcceleration': not representable as 16.16 fixed point"}));
}

TEST(PointerDeviceAcceleration, WritesClampIntoZeroToTwentyExceptOff)
{
    DeviceOnService d(ServiceSpec::mouse("Mouse", 1, 2));
    d.service->clearWrites();
    for (double value : {-1.0, -0.5, 25.0, 0.6875, 1.00001})
        d.device->setPointerAcceleration(value);
    const std::vector<PropertyWrite> expected{
        {"HIDPointerAcceleration", fixed(-65536)},  {"HIDPointerAcceleration", fixed(0)},
        {"HIDPointerAcceleration", fixed(1310720)}, {"HIDPointerAcceleration", fixed(45056)},
        {"HIDPointerAcceleration", fixed(65536)},
    };
    EXPECT_EQ(d.service->writes(), expected);
}

TEST(PointerDeviceAcceleration, KeyFollowsTypeThenPointerThenMouseAcceleration)
{
    DeviceOnService named(withProperties(
        {{"HIDPointerAccelerationType", HidPropertyValue::text("HIDTrackpadAcceleration")},
         {"HIDTrackpadAcceleration", fixed(131072)},
         {"HIDPointerAcceleration", fixed(45056)}}));
    EXPECT_EQ(named.device->pointerAccelerationType(), "HIDTrackpadAcceleration");
    EXPECT_EQ(named.device->pointerAcceleration(), 2.0);
    named.device->setPointerAcceleration(3.0);
    EXPECT_EQ(named.service->writes().back(),
              (PropertyWrite{"HIDTrackpadAcceleration", fixed(196608)}));

    DeviceOnService pointer(withProperties({{"HIDPointerAcceleration", fixed(45056)}}));
    EXPECT_EQ(pointer.device->pointerAccelerationType(), "HIDPointerAcceleration");
    EXPECT_EQ(pointer.device->pointerAcceleration(), 0.6875);

    DeviceOnService neither(withProperties({}));
    EXPECT_EQ(neither.device->pointerAccelerationType(), "HIDMouseAcceleration");
    EXPECT_EQ(neither.device->pointerAcceleration(), std::nullopt);
    neither.device->setPointerAcceleration(1.0);
    EXPECT_EQ(neither.service->writes().back(),
              (PropertyWrite{"HIDMouseAcceleration", fixed(65536)}));

    // Empty text still names the key: reads find nothing there, writes go under "".
    DeviceOnService empty(
        withProperties({{"HIDPointerAccelerationType", HidPropertyValue::text("")},
                        {"HIDPointerAcceleration", fixed(45056)}}));
    EXPECT_EQ(empty.device->pointerAcceleration(), std::nullopt);
    empty.device->setPointerAcceleration(1.0);
    EXPECT_EQ(empty.service->writes().back(), (PropertyWrite{"", fixed(65536)}));
}

TEST(PointerDeviceAcceleration, LinearScalingOneReadsAsOffWithoutTouchingIt)
{
    DeviceOnService d(ServiceSpec::mouse("Mouse", 1, 2));
    d.service->changePropertyExternally("HIDUseLinearScalingMouseAcceleration", fixed(1));
    EXPECT_EQ(d.device->pointerAcceleration(), -1.0);
    d.service->changePropertyExternally("HIDUseLinearScalingMouseAcceleration", fixed(0));
    EXPECT_EQ(d.device->pointerAcceleration(), 0.6875);

    d.service->clearWrites();
    d.device->setPointerAcceleration(2.0);
    for (const auto& write : d.service->writes())
        EXPECT_NE(write.key, "HIDUseLinearScalingMouseAcceleration");
}

TEST(PointerDeviceRawInput, ObserversHearValuesUntilTheirTokenGoes)
{
    DeviceOnService d(ServiceSpec::mouse("Mouse", 1, 2));
    auto hid = d.service->device();
    ASSERT_TRUE(hid);
    EXPECT_TRUE(hid->isOpen());
    EXPECT_TRUE(hid->isScheduled());
    EXPECT_TRUE(hid->matchesAllInputValues());

    QStringList heard;
    auto token = d.device->observeInput([&](PointerDevice& device, const HidInputValue& value) {
        heard.append(device.name() + ": " + QString::number(value.integerValue));
    });
    HidInputValue value;
    value.integerValue = 5;
    hid->emitInputValue(value);
    test::drainMainLoop();
    EXPECT_EQ(heard, QStringList({"Mouse: 5"}));

    token.reset();
    hid->emitInputValue(value);
    test::drainMainLoop();
    EXPECT_EQ(heard.size(), 1);
}

TEST(PointerDeviceRawInput, ReportCallbackIsRegisteredOnceWithAnEightByteBuffer)
{
    DeviceOnService d(ServiceSpec::mouse("Mouse", 1, 2));
    auto hid = d.service->device();
    std::vector<std::vector<std::uint8_t>> reports;
    auto first = d.device->observeReport(
        [&](PointerDevice&, const std::vector<std::uint8_t>& bytes) { reports.push_back(bytes); });
    auto second = d.device->observeReport(
        [&](PointerDevice&, const std::vector<std::uint8_t>& bytes) { reports.push_back(bytes); });
    EXPECT_EQ(hid->inputReportCallbackRegistrations(), 1);
    EXPECT_EQ(hid->inputReportBufferLength(), 8u);

    hid->emitReport({1, 0, 255});
    test::drainMainLoop();
    EXPECT_EQ(reports, (std::vector<std::vector<std::uint8_t>>{{1, 0, 255}, {1, 0, 255}}));
}

TEST(PointerDeviceRawInput, ServiceWithoutHidDeviceStoresObserversButNeverCallsThem)
{
    ServiceSpec spec = ServiceSpec::mouse("Bare", 1, 2);
    spec.hasDevice = false;
    DeviceOnService d(spec);
    EXPECT_FALSE(d.device->hasHidDevice());
    int calls = 0;
    auto token = d.device->observeReport([&](PointerDevice&, const auto&) { ++calls; });
    auto input = d.device->observeInput([&](PointerDevice&, const auto&) { ++calls; });
    test::drainMainLoop();
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(d.device->pointerResolution(), 400.0);
}

TEST(PointerDeviceRawInput, TokenOutlivingItsDeviceDoesNothing)
{
    auto d = std::make_unique<DeviceOnService>(ServiceSpec::mouse("Mouse", 1, 2));
    auto hid = d->service->device();
    auto token = d->device->observeInput([](PointerDevice&, const HidInputValue&) {});
    d.reset();
    EXPECT_FALSE(hid->isOpen());
    token.reset(); // must not touch the destroyed device
}

TEST(PointerDeviceRawInput, InputIsListenedToOnlyWhileObserved)
{
    DeviceOnService d(ServiceSpec::mouse("Mouse", 1, 2));
    auto hid = d.service->device();
    EXPECT_FALSE(hid->isInputDeliveryEnabled());
    auto token = d.device->observeInput([](PointerDevice&, const HidInputValue&) {});
    EXPECT_TRUE(hid->isInputDeliveryEnabled());
    token.reset();
    EXPECT_FALSE(hid->isInputDeliveryEnabled());
}

TEST(HidDescriptions, ElementsAndValuesPrintAsLogged)
{
    HidInputValue value;
    value.timestamp = 7;
    value.data = {1, 0, 255};
    value.integerValue = -3;
    value.element = {1, 0x30};
    EXPECT_EQ(describe(value.element), "usagePage: 01 usage: 30");
    EXPECT_EQ(describe(value),
              "timestamp: 7 length: 3 data: [1, 0, 255] integerValue: -3 element=(usagePage: 01 "
              "usage: 30)");
}
