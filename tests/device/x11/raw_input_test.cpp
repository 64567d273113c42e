#include "device/x11/raw_input.h"

#include <gtest/gtest.h>

namespace veloquill::x11 {
namespace {

RawInput motion(std::map<int, double> axes)
{
    RawInput input;
    input.time = 1234;
    input.axes = std::move(axes);
    return input;
}

RawInput button(RawInput::Kind kind, int number)
{
    RawInput input;
    input.kind = kind;
    input.button = number;
    return input;
}

TEST(RawInput, MotionBecomesAMotionEventAndOneValuePerAxis)
{
    const RawInput input = motion({{0, 3}, {1, -2}});
    const HidEvent event = hidEventFor(input, {}, 7);
    EXPECT_EQ(event.type, HidEvent::Type::Motion);
    EXPECT_EQ(event.senderID, 7u);
    EXPECT_EQ(event.timestamp, 1234u);
    EXPECT_EQ(event.deltaX, 3);
    EXPECT_EQ(event.deltaY, -2);

    const auto values = inputValuesFor(input, {});
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].element.usagePage, 0x01u);
    EXPECT_EQ(values[0].element.usage, 0x30u);
    EXPECT_EQ(values[0].integerValue, 3);
    EXPECT_EQ(values[0].data, (std::vector<std::uint8_t>{3, 0, 0, 0}));
    EXPECT_EQ(values[1].element.usage, 0x31u);
    EXPECT_EQ(values[1].data, (std::vector<std::uint8_t>{0xFE, 0xFF, 0xFF, 0xFF}));
}

TEST(RawInput, ScrollValuatorsAndScrollButtonsBecomeScrollEvents)
{
    const ScrollAxes scroll{3, 2};
    const RawInput wheel = motion({{3, -1}});
    EXPECT_EQ(hidEventFor(wheel, scroll, 1).type, HidEvent::Type::Scroll);
    EXPECT_EQ(hidEventFor(wheel, scroll, 1).deltaY, -1);
    const auto values = inputValuesFor(wheel, scroll);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].element.usage, 0x38u);

    const HidEvent up = hidEventFor(button(RawInput::Kind::Press, 4), {}, 1);
    EXPECT_EQ(up.type, HidEvent::Type::Scroll);
    EXPECT_EQ(up.deltaY, 1);
    const auto left = inputValuesFor(button(RawInput::Kind::Press, 6), {});
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].element.usagePage, 0x0Cu);
    EXPECT_EQ(left[0].element.usage, 0x238u);
    EXPECT_TRUE(inputValuesFor(button(RawInput::Kind::Release, 4), {}).empty());
}

TEST(RawInput, ButtonsFollowHidNumbering)
{
    EXPECT_EQ(hidButtonFor(1), 1u);
    EXPECT_EQ(hidButtonFor(3), 2u); // right is HID's secondary button
    EXPECT_EQ(hidButtonFor(2), 3u);
    EXPECT_EQ(hidButtonFor(8), 4u);
    EXPECT_EQ(hidButtonFor(9), 5u);
    EXPECT_EQ(hidButtonFor(5), 0u);

    const auto press = inputValuesFor(button(RawInput::Kind::Press, 3), {});
    ASSERT_EQ(press.size(), 1u);
    EXPECT_EQ(press[0].element.usagePage, 0x09u);
    EXPECT_EQ(press[0].element.usage, 2u);
    EXPECT_EQ(press[0].integerValue, 1);
    EXPECT_EQ(hidEventFor(button(RawInput::Kind::Release, 3), {}, 1).type,
              HidEvent::Type::ButtonRelease);
}

TEST(RawInput, ReportCarriesHeldButtonsDeltasAndWheel)
{
    std::uint8_t buttons = buttonsAfter(0, button(RawInput::Kind::Press, 1));
    buttons = buttonsAfter(buttons, button(RawInput::Kind::Press, 3));
    EXPECT_EQ(buttons, 0b011);
    EXPECT_EQ(buttonsAfter(buttons, button(RawInput::Kind::Release, 1)), 0b010);

    std::uint8_t report[8] = {};
    writeReport(motion({{0, 300}, {1, -1}, {3, 2}}), {3, -1}, buttons, report, sizeof report);
    EXPECT_EQ(std::vector<std::uint8_t>(report, report + 8),
              (std::vector<std::uint8_t>{0b011, 0x2C, 0x01, 0xFF, 0xFF, 2, 0, 0}));

    std::uint8_t shortReport[3] = {9, 9, 9};
    writeReport(motion({{0, 1}}), {}, 0, shortReport, 2);
    EXPECT_EQ(shortReport[2], 9); // nothing written past the caller's length
}

} // namespace
} // namespace veloquill::x11
