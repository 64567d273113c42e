// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Raw input: delivered while someone observes it, and not even sent by the server while
// nobody does, so an idle program never wakes up as the pointer moves.
#include "x11_backend_fixture.h"

#include "device/hid_keys.h"
#include "device/pointer_device.h"
#include "support/main_loop.h"

namespace veloquill::test {
namespace {

class X11Input : public X11BackendTest
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(X11BackendTest::SetUp());
        startClient();
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

    // The server turns fake input into events on its own schedule; wait for what must
    // arrive rather than for a time.
    bool settleUntil(const std::function<bool()>& arrived)
    {
        return runMainLoopUntil([&] {
            settle();
            return arrived();
        });
    }

    // Moves the pointer through the mouse and counts the main loop's wake-ups meanwhile.
    int wakeUpsWhileMoving(int motions)
    {
        WakeUpCounter wakeUps;
        driver().moveThroughDevice(mouseId, 1, 0, motions);
        driver().sync();
        runMainLoopFor(100);
        return wakeUps.count;
    }

    HidServiceClientRef mouse;
    int mouseId = 0;
};

TEST_F(X11Input, EventsRawValuesAndReportsFlowOnlyWhileObserved)
{
    // Like an idle program: observing devices, a device object open, nobody observing input.
    const auto device = PointerDevice::create(mouse);
    EXPECT_EQ(wakeUpsWhileMoving(10000), 0);

    client->setEventDeliveryEnabled(true);
    driver().moveThroughDevice(mouseId, 2, -1, 100);
    settleUntil([&] { return record.events.size() >= 100; });
    ASSERT_EQ(record.events.size(), 100u);
    EXPECT_EQ(record.events.front().type, HidEvent::Type::Motion);
    EXPECT_EQ(record.events.front().deltaX, 2);
    EXPECT_EQ(record.events.front().deltaY, -1);
    EXPECT_EQ(client->copyServiceForRegistryID(record.events.front().senderID), mouse);
    EXPECT_GT(wakeUpsWhileMoving(10), 0);

    driver().pressButton(mouseId, 3);
    settleUntil([&] { return record.events.size() >= 112; });
    ASSERT_EQ(record.events.size(), 112u);
    EXPECT_EQ(record.events[110].type, HidEvent::Type::ButtonPress);
    EXPECT_EQ(record.events[111].type, HidEvent::Type::ButtonRelease);

    client->setEventDeliveryEnabled(false);
    EXPECT_EQ(wakeUpsWhileMoving(1000), 0);
    EXPECT_EQ(record.events.size(), 112u);

    // Raw values are the device's own counts, before the matrix scales them.
    device->setPointerResolution(kDoubleTravel);
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
    EXPECT_EQ(values[1].data, (std::vector<std::uint8_t>{0xFE, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(reports, (std::vector<std::vector<std::uint8_t>>{{0, 3, 0, 0xFE, 0xFF, 0, 0, 0}}));
    EXPECT_EQ(record.events.size(), 112u); // the client's delivery is still off

    valueToken.reset();
    reportToken.reset();
    EXPECT_EQ(wakeUpsWhileMoving(100), 0);
    EXPECT_EQ(values.size(), 2u);
}

} // namespace
} // namespace veloquill::test
