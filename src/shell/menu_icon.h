// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QIcon>

namespace veloquill {

// Both icons come from the icon theme when it has them, under the names the package installs,
// so a theme can restyle them and a tray host can be handed a name instead of pixels; the
// program's own drawings stand in when it does not (run from the build folder). Null only when
// neither exists.

// The tray icon, "<app-id>-symbolic": a dark quill with a light rim, so it reads on light and
// dark panels alike; the drawing at the sizes panels ask for.
QIcon menuIcon();
// The tray icon while precision mode is on: the same with a marked corner.
QIcon precisionMenuIcon();

// The program's icon for windows, "<app-id>": the quill on a blue tile.
QIcon applicationIcon();

} // namespace veloquill
