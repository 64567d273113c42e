// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <functional>

namespace veloquill {

// Writes one plain line to standard output. Log lines are the program's record of what it did
// to the user's devices: the lines of one event are written together, with one write, before
// the main loop waits again (and at exit); without a running main loop each is written at once.
// Control characters and bidirectional formatting characters are written escaped (see
// escapedForLog).
void logLine(const QString& line);

// Writes the lines not yet written now (before something that may end the process abruptly).
void flushLogLines();

// The text with line breaks, tabs, other control characters and bidirectional formatting
// characters written as \n, \t, \r, \x1b or \u202e, so that it stays on one line and reads
// in order. Other text, backslashes included, is left as it is.
QString escapedForLog(const QString& text);

// Redirects log lines (tests capture them). An empty function restores standard output.
// Returns the previous redirection.
using LogRedirect = std::function<void(const QString&)>;
LogRedirect setLogRedirect(LogRedirect redirect);

} // namespace veloquill
