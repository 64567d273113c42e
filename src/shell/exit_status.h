// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace veloquill {

// The program's statuses besides 0 for done.

// The one status of a program whose X display could not be used or went away.
constexpr int kDisplayUnusableStatus = 1;
// The status of a restore, or a quit, that left some device as it was not found.
constexpr int kNotRestoredStatus = 1;
// A command line that cannot be understood, as most command-line programs end.
constexpr int kUsageErrorStatus = 2;

} // namespace veloquill
