// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QFont>

class QLabel;
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

// Text shown as written, never as markup, wrapping at the width it is given; a note is such
// text in the secondary colour.
QLabel* makeWrappedLabel(const QString& text = QString());
QLabel* makeNote(const QString& text = QString());

} // namespace veloquill
