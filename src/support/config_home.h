// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace veloquill {

// ${XDG_CONFIG_HOME:-~/.config}, read from the environment at each call. A relative
// XDG_CONFIG_HOME is ignored, as the base directory rules ask (QStandardPaths keeps it).
// Empty when neither it nor HOME names an absolute folder: nothing may then be written
// under "/" instead.
QString xdgConfigHome();

} // namespace veloquill
