// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>

namespace veloquill::test {

// Runs the Qt main loop until no posted work is left (queued calls, zero timers).
void drainMainLoop();

// Runs the main loop until the condition holds or the time runs out; returns the condition.
bool runMainLoopUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

// Runs the main loop for the given time, delivering timers that fall due.
inline void runMainLoopFor(int milliseconds)
{
    runMainLoopUntil([] { return false; }, milliseconds);
}

} // namespace veloquill::test
