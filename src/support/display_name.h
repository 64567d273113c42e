// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace veloquill {

// One name for each X server however its display is spelled: ":0", ":0.0", "unix:0" and
// "unix:0.0" are all ":0" (the screen number does not name another server); a remote
// "host:1.0" is "host:1". An empty name is $DISPLAY's. A name that is not
// [host]:number[.screen] comes back as it is.
QString canonicalDisplayName(const QString& displayName);

} // namespace veloquill
