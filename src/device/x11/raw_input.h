// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What one XInput raw event becomes for the device layer: an event for event observers, HID
// input values and a small mouse report for raw-input observers. Pure functions; the X
// event is decoded into RawInput first.

#include "device/hid_event_system.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace veloquill::x11 {

struct RawInput
{
    // Not ButtonPress/ButtonRelease: X.h defines those as macros.
    enum class Kind
    {
        Motion,
        Press,
        Release
    };
    Kind kind = Kind::Motion;
    std::uint64_t time = 0;     // X server time, milliseconds
    int button = 0;             // X button number, for presses and releases
    std::map<int, double> axes; // valuator number → unaccelerated value, those present only
};

// The valuators a device scrolls with (XIScrollClass); -1 when it has none.
struct ScrollAxes
{
    int vertical = -1;
    int horizontal = -1;
};

// X buttons 4 to 7 are the legacy scroll wheel (up, down, left, right).
bool isScrollButton(int button);

// An event for event observers. Motion deltas come from valuators 0 and 1; a motion that
// only moves scroll valuators, and a press of a scroll button, is a Scroll event.
HidEvent hidEventFor(const RawInput& input, const ScrollAxes& scroll, std::uint64_t senderID);

// One value per element that changed: X (0x01/0x30), Y (0x01/0x31), wheel (0x01/0x38),
// horizontal pan (0x0C/0x238) as little-endian 32-bit integers, buttons (0x09/n) as one byte
// with HID numbering (primary, secondary, tertiary, then back and forward).
std::vector<HidInputValue> inputValuesFor(const RawInput& input, const ScrollAxes& scroll);

// The HID button number of an X button, 0 for scroll buttons.
std::uint32_t hidButtonFor(int xButton);

// Buttons held after the input, as a bit mask of HID buttons 1 … 8.
std::uint8_t buttonsAfter(std::uint8_t buttons, const RawInput& input);

// An 8-byte report shaped like a boot mouse's, widened: buttons, X and Y as little-endian
// 16-bit, wheel and pan as 8-bit, one padding byte. At most `length` bytes are written.
void writeReport(const RawInput& input, const ScrollAxes& scroll, std::uint8_t buttons,
                 std::uint8_t* report, std::size_t length);

} // namespace veloquill::x11
