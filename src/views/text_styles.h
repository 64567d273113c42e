// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QFont>

class QWidget;

namespace veloquill {

// The type scale of the program's screens, relative to the user's chosen font so that a
// larger desktop font makes every screen larger.
QFont largeTitleFont();
QFont titleFont();
QFont headlineFont();
QFont subheadlineFont();
QFont captionFont();

// Draws the widget's text in the dimmer colour used for explanations and captions, still
// readable (4.5:1) on the window and on fields, in whatever palette the desktop uses.
void makeSecondary(QWidget* widget);

} // namespace veloquill
