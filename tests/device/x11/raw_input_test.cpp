// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/raw_input.h"

#include <gtest/gtest.h>

namespace veloquill::x11 {
namespace {

// Plain motion is checked against a real server in x11_input_test.
RawInput motion(std::map<int, double> axes)
{
    RawInput input;
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

TEST(RawInput, ButtonsAndScrollingBecomeHidUsages)
{
    using Kind = RawInput::Kind;
    const ScrollAxes scroll{3, 2};
    // The input, its event's type, the page and usage of the one value reported (page 0: none).
    const std::vector<std::tuple<RawInput, HidEvent::Type, std::uint32_t, std::uint32_t>> cases{
        {button(Kind::Press, 1), HidEvent::Type::ButtonPress, 0x09, 1},
        {button(Kind::Press, 3), HidEvent::Type::ButtonPress, 0x09, 2}, // HID's secondary
        {button(Kind::Press, 2), HidEvent::Type::ButtonPress, 0x09, 3},
        {button(Kind::Press, 8), HidEvent::Type::ButtonPress, 0x09, 4},
        {button(Kind::Release, 9), HidEvent::Type::ButtonRelease, 0x09, 5},
        {button(Kind::Press, 4), HidEvent::Type::Scroll, 0x01, 0x38},
        {button(Kind::Press, 6), HidEvent::Type::Scroll, 0x0C, 0x238},
        {button(Kind::Release, 4), HidEvent::Type::Scroll, 0, 0},
        {motion({{3, -1}}), HidEvent::Type::Scroll, 0x01, 0x38},
    };
    for (const auto& [input, type, page, usage] : cases) {
        SCOPED_TRACE(input.button);
        EXPECT_EQ(hidEventFor(input, scroll, 1).type, type);
        const auto values = inputValuesFor(input, scroll);
        ASSERT_EQ(values.size(), page ? 1u : 0u);
        if (page) {
            EXPECT_EQ(values[0].element.usagePage, page);
            EXPECT_EQ(values[0].element.usage, usage);
        }
    }
    EXPECT_EQ(hidButtonFor(5), 0u);
    EXPECT_EQ(hidEventFor(button(Kind::Press, 4), {}, 1).deltaY, 1);
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
