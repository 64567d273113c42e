// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QColor>
#include <QPalette>

#include <initializer_list>

namespace veloquill {

// The least contrast readers need: body text, and graphics such as borders and focus rings.
inline constexpr double kTextContrast = 4.5;
inline constexpr double kGraphicContrast = 3.0;

// WCAG 2 contrast ratio, from 1 (the same luminance) to 21 (black against white).
double contrastRatio(const QColor& first, const QColor& second);

// The colours the program draws itself, all taken from the palette. Each uses the palette's
// current colour group, except disabledTextColor, which reads the active and disabled ones.

// Whether WindowText reaches 7:1 against Window: a palette chosen for its contrast, which the
// program then dims in nothing it draws.
bool isHighContrast(const QPalette& palette);
// Captions and explanations: dimmer than WindowText, readable on Window and Base; WindowText
// itself in a high-contrast palette.
QColor secondaryTextColor(const QPalette& palette);
// The keyboard focus ring: Highlight when it stands out from Window, else WindowText.
QColor focusRingColor(const QPalette& palette);
// Outlines of check boxes, radio buttons, fields, buttons and sliders: 3:1 against Window,
// Base, Button and the lighter Button a style shades handles with; WindowText in a
// high-contrast palette.
QColor controlBorderColor(const QPalette& palette);
// Text of a disabled control in `textRole` (WindowText, Text or ButtonText), still readable
// (3:1) on that role's background: the palette's own disabled colour when it is readable and
// dimmer than the active one, else a blend of the active text towards the background.
QColor disabledTextColor(const QPalette& palette, QPalette::ColorRole textRole);

} // namespace veloquill
