// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace veloquill {

class StartAtLogin;
class StatusBarController;

// Connects the menu's "Start at login" item to the launch-at-login state: choosing it writes
// the opposite of what the file system says now, and the check mark follows the state's
// stream, starting with its current value on a later turn of the main loop. The binding
// lasts as long as the controller.
void bindStartAtLoginMenu(StatusBarController& controller, StartAtLogin& startAtLogin);

} // namespace veloquill
