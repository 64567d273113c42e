// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <chrono>
#include <functional>

namespace veloquill {

// How long a tray host has to appear at start (a panel may come up after the program), and
// how often it is asked meanwhile.
struct TrayWait
{
    std::chrono::milliseconds timeout{10000};
    std::chrono::milliseconds poll{250};
};

// Without a tray host the tray icon cannot be seen, and the settings window is the only way
// in: when none has appeared by the end of the wait, opens it and logs why. Call once at
// start, after the tray icon has been set up; returns at once, the wait runs on the main loop.
void openSettingsIfNoTrayHost();
void openSettingsIfNoTrayHost(std::function<bool()> isTrayAvailable,
                              std::function<void()> openSettings, TrayWait wait = {});

} // namespace veloquill
