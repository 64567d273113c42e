// Raw input: delivered while someone observes it, and not even read from the server
// while nobody does, so an idle program never wakes up as the pointer moves.
#include "x11_backend_fixture.h"

#include "device/hid_keys.h"
#include "device/pointer_device.h"
#include "support/main_loop.h"

namespace veloquill::test {
namespace {

const QString kXvfbMouse = QStringLiteral("Xvfb mouse");

class X11Input : public X11BackendTest
{
protected:
    void SetUp() override
    {
        X11BackendTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        system = makeSystem();
        client = makeClient(*system, record);
        mouse = serviceNamed(*client, kXvfbMouse);
        mouseId = driver().deviceId(kXvfbMouse);
        settle();
    }

    // Once the backend has made a request after the driver's, everything the server sent
    // it before has been read; then the main loop handles it.
    void settle()
    {
        mouse->copyProperty(HidKey::PointerResolution);
        drainMainLoop();
    }

    // The server turns fake input into events on its own schedule, after the request that
    // asked for it has been answered; wait for what must arrive rather than for a time.
    bool settleUntil(const std::function<bool()>& arrived)
    {
        return runMainLoopUntil([&] {
            settle();
            return arrived();
        });
    }

    std::shared_ptr<X11HidEventSystem> system;
    CallbackRecord record;
    std::unique_ptr<HidEventSystemClient> client;
    HidServiceClientRef mouse;
    int mouseId = 0;
};

TEST_F(X11Input, IdleProgramReadsNothingWhileThePointerMoves)
{
    // Like an idle program: observing devices, a device object open, nobody observing input.
    const auto device = PointerDevice::create(mouse);
    const std::uint64_t before = system->eventsRead();

    driver().moveThroughDevice(mouseId, 1, 0, 10000);
    settle();

    EXPECT_EQ(system->eventsRead(), before);
    EXPECT_TRUE(record.events.empty());
}

TEST_F(X11Input, EventsFlowOnlyWhileDeliveryIsEnabled)
{
    client->setEventDeliveryEnabled(true);
    driver().moveThroughDevice(mouseId, 2, -1, 100);
    settleUntil([&] { return record.events.size() >= 100; });
    ASSERT_EQ(record.events.size(), 100u);
    EXPECT_EQ(record.events.front().type, HidEvent::Type::Motion);
    EXPECT_EQ(record.events.front().deltaX, 2);
    EXPECT_EQ(record.events.front().deltaY, -1);
    EXPECT_EQ(client->copyServiceForRegistryID(record.events.front().senderID), mouse);

    driver().pressButton(mouseId, 3);
    settleUntil([&] { return record.events.size() >= 102; });
    ASSERT_EQ(record.events.size(), 102u);
    EXPECT_EQ(record.events[100].type, HidEvent::Type::ButtonPress);
    EXPECT_EQ(record.events[101].type, HidEvent::Type::ButtonRelease);

    client->setEventDeliveryEnabled(false);
    const std::uint64_t before = system->eventsRead();
    driver().moveThroughDevice(mouseId, 1, 0, 1000);
    settle();
    EXPECT_EQ(record.events.size(), 102u);
    EXPECT_EQ(system->eventsRead(), before);
}

TEST_F(X11Input, RawValuesAndReportsReachObserversOnlyWhileObserved)
{
    const auto device = PointerDevice::create(mouse);
    // Raw values are the device's own counts, before the matrix scales them.
    device->setPointerResolution(200);
    std::vector<HidInputValue> values;
    std::vector<std::vector<std::uint8_t>> reports;
    auto valueToken = device->observeInput(
        [&](PointerDevice&, const HidInputValue& value) { values.push_back(value); });
    auto reportToken =
        device->observeReport([&](PointerDevice&, const std::vector<std::uint8_t>& report) {
            reports.push_back(report);
        });

    driver().moveThroughDevice(mouseId, 3, -2);
    settleUntil([&] { return values.size() >= 2 && !reports.empty(); });
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].element.usage, 0x30u);
    EXPECT_EQ(values[0].integerValue, 3);
    EXPECT_EQ(values[1].element.usage, 0x31u);
    EXPECT_EQ(values[1].integerValue, -2);
    EXPECT_EQ(reports, (std::vector<std::vector<std::uint8_t>>{{0, 3, 0, 0xFE, 0xFF, 0, 0, 0}}));
    EXPECT_TRUE(record.events.empty()); // the client's delivery is still off

    valueToken.reset();
    reportToken.reset();
    const std::uint64_t before = system->eventsRead();
    driver().moveThroughDevice(mouseId, 1, 0, 100);
    settle();
    EXPECT_EQ(values.size(), 2u);
    EXPECT_EQ(system->eventsRead(), before);
}

} // namespace
} // namespace veloquill::test
