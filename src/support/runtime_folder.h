// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace veloquill {

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
