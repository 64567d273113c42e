// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/raw_input.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace veloquill::x11 {

namespace {
constexpr std::uint32_t kGenericDesktopPage = 0x01;
constexpr std::uint32_t kButtonPage = 0x09;
constexpr std::uint32_t kConsumerPage = 0x0C;
constexpr std::uint32_t kUsageX = 0x30;
constexpr std::uint32_t kUsageY = 0x31;
constexpr std::uint32_t kUsageWheel = 0x38;
constexpr std::uint32_t kUsagePan = 0x238;

double axis(const RawInput& input, int number)
{
    const auto found = input.axes.find(number);
    return found == input.axes.end() ? 0.0 : found->second;
}

bool hasAxis(const RawInput& input, int number)
{
    return number >= 0 && input.axes.count(number) > 0;
}

// Scroll-button presses as (horizontal, vertical) steps; up and left are positive.
std::pair<double, double> scrollButtonSteps(int button)
{
    switch (button) {
    case 4:
        return {0, 1};
    case 5:
        return {0, -1};
    case 6:
        return {1, 0};
    case 7:
        return {-1, 0};
    default:
        return {0, 0};
    }
}

std::int64_t rounded(double value)
{
    return std::llround(value);
}

std::vector<std::uint8_t> littleEndian32(std::int64_t value)
{
    const auto bits = static_cast<std::uint32_t>(
        static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX)));
    return {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
            static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
}

HidInputValue axisValue(std::uint64_t time, std::uint32_t page, std::uint32_t usage, double v)
{
    return {time, littleEndian32(rounded(v)), rounded(v), {page, usage}};
}

// (pan, wheel) of the input, from scroll valuators or a scroll-button press.
std::pair<double, double> scrollOf(const RawInput& input, const ScrollAxes& scroll)
{
    if (input.kind == RawInput::Kind::Press)
        return scrollButtonSteps(input.button);
    if (input.kind == RawInput::Kind::Motion)
        return {axis(input, scroll.horizontal), axis(input, scroll.vertical)};
    return {0, 0};
}
} // namespace

bool isScrollButton(int button)
{
    return button >= 4 && button <= 7;
}

std::uint32_t hidButtonFor(int xButton)
{
    switch (xButton) {
    case 1:
        return 1;
    case 2:
        return 3;
    case 3:
        return 2;
    case 8:
        return 4;
    case 9:
        return 5;
    default:
        return isScrollButton(xButton) || xButton < 1 ? 0 : static_cast<std::uint32_t>(xButton - 4);
    }
}

HidEvent hidEventFor(const RawInput& input, const ScrollAxes& scroll, std::uint64_t senderID)
{
    HidEvent event;
    event.senderID = senderID;
    event.timestamp = input.time;
    switch (input.kind) {
    case RawInput::Kind::Press:
    case RawInput::Kind::Release:
        if (isScrollButton(input.button)) {
            std::tie(event.deltaX, event.deltaY) = scrollButtonSteps(input.button);
            event.type = HidEvent::Type::Scroll;
        } else {
            event.type = input.kind == RawInput::Kind::Press ? HidEvent::Type::ButtonPress
                                                             : HidEvent::Type::ButtonRelease;
        }
        return event;
    case RawInput::Kind::Motion:
        break;
    }
    if (hasAxis(input, 0) || hasAxis(input, 1)) {
        event.type = HidEvent::Type::Motion;
        event.deltaX = axis(input, 0);
        event.deltaY = axis(input, 1);
    } else {
        event.type = HidEvent::Type::Scroll;
        event.deltaX = axis(input, scroll.horizontal);
        event.deltaY = axis(input, scroll.vertical);
    }
    return event;
}

std::vector<HidInputValue> inputValuesFor(const RawInput& input, const ScrollAxes& scroll)
{
    std::vector<HidInputValue> values;
    if (input.kind != RawInput::Kind::Motion) {
        if (isScrollButton(input.button)) {
            if (input.kind == RawInput::Kind::Press) {
                const auto [pan, wheel] = scrollButtonSteps(input.button);
                if (wheel != 0)
                    values.push_back(
                        axisValue(input.time, kGenericDesktopPage, kUsageWheel, wheel));
                if (pan != 0)
                    values.push_back(axisValue(input.time, kConsumerPage, kUsagePan, pan));
            }
            return values;
        }
        const std::uint8_t pressed = input.kind == RawInput::Kind::Press ? 1 : 0;
        values.push_back(
            {input.time, {pressed}, pressed, {kButtonPage, hidButtonFor(input.button)}});
        return values;
    }
    if (hasAxis(input, 0))
        values.push_back(axisValue(input.time, kGenericDesktopPage, kUsageX, axis(input, 0)));
    if (hasAxis(input, 1))
        values.push_back(axisValue(input.time, kGenericDesktopPage, kUsageY, axis(input, 1)));
    if (hasAxis(input, scroll.vertical))
        values.push_back(
            axisValue(input.time, kGenericDesktopPage, kUsageWheel, axis(input, scroll.vertical)));
    if (hasAxis(input, scroll.horizontal))
        values.push_back(
            axisValue(input.time, kConsumerPage, kUsagePan, axis(input, scroll.horizontal)));
    return values;
}

std::uint8_t buttonsAfter(std::uint8_t buttons, const RawInput& input)
{
    const std::uint32_t hidButton = hidButtonFor(input.button);
    if (input.kind == RawInput::Kind::Motion || hidButton < 1 || hidButton > 8)
        return buttons;
    const auto bit = static_cast<std::uint8_t>(1u << (hidButton - 1));
    return input.kind == RawInput::Kind::Press ? static_cast<std::uint8_t>(buttons | bit)
                                               : static_cast<std::uint8_t>(buttons & ~bit);
}

void writeReport(const RawInput& input, const ScrollAxes& scroll, std::uint8_t buttons,
                 std::uint8_t* report, std::size_t length)
{
    const auto int16 = [](double v) {
        return static_cast<std::uint16_t>(
            static_cast<std::int16_t>(std::clamp<std::int64_t>(rounded(v), INT16_MIN, INT16_MAX)));
    };
    const auto int8 = [](double v) {
        return static_cast<std::uint8_t>(
            static_cast<std::int8_t>(std::clamp<std::int64_t>(rounded(v), INT8_MIN, INT8_MAX)));
    };
    const bool motion = input.kind == RawInput::Kind::Motion;
    const std::uint16_t dx = motion ? int16(axis(input, 0)) : 0;
    const std::uint16_t dy = motion ? int16(axis(input, 1)) : 0;
    const auto [pan, wheel] = scrollOf(input, scroll);
    const std::array<std::uint8_t, 8> full = {buttons,
                                              static_cast<std::uint8_t>(dx),
                                              static_cast<std::uint8_t>(dx >> 8),
                                              static_cast<std::uint8_t>(dy),
                                              static_cast<std::uint8_t>(dy >> 8),
                                              int8(wheel),
                                              int8(pan),
                                              0};
    std::copy_n(full.begin(), std::min(length, full.size()), report);
}

} // namespace veloquill::x11
