// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace veloquill {

// Text that comes from outside the program (device names, the preferred name) reaches the
// screen only through these: never read as rich text, a mnemonic or a format string.

// The text on one line, its line breaks, other control characters and bidirectional
// formatting characters shown as visible escapes (\n, \u202e), as log lines write them: a name
// cannot break a row in two or turn the text after it around.
QString shownText(const QString& text);

// The shown text as one isolated run of its own direction (U+2068 … U+2069), so that a name
// written right to left keeps its own order without reordering what is shown after it.
QString isolatedText(const QString& text);

// Button texts take '&' as a shortcut marker; this keeps every '&' visible. Isolated too.
QString literalButtonText(const QString& text);

} // namespace veloquill
