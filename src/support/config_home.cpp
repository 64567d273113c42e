// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/config_home.h"

#include <QDir>

namespace veloquill {

QString xdgConfigHome()
{
    const QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!base.isEmpty() && !QDir::isRelativePath(base))
        return base;
    // Read here rather than through QDir::homePath(), which falls back to "/".
    const QString home = qEnvironmentVariable("HOME");
    if (home.isEmpty() || QDir::isRelativePath(home))
        return {};
    return home + QStringLiteral("/.config");
}

} // namespace veloquill
