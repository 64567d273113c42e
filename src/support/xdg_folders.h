// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace veloquill {

// The user's XDG base folders, as this program keeps its files in them.

// ${XDG_CONFIG_HOME:-~/.config}, read from the environment at each call. A relative
// XDG_CONFIG_HOME is ignored, as the base directory rules ask (QStandardPaths keeps it).
// Empty when neither it nor HOME names an absolute folder: nothing may then be written
// under "/" instead.
QString xdgConfigHome();

// The user's runtime folder ($XDG_RUNTIME_DIR), where the single-instance socket and the
// crash journal live.
struct RuntimeFolder
{
    QString path;
    // Why nothing can be kept there (it is missing, not a folder, not the user's, or cannot be
    // written); empty when it can.
    QString problem;
};

// Asked afresh each time. Without $XDG_RUNTIME_DIR, Qt's stand-in folder.
RuntimeFolder runtimeFolder();

} // namespace veloquill
