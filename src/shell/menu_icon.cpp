// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/menu_icon.h"

#include "views/svg_icon.h"

// The drawings live in this static library; registering them here makes sure the linker
// keeps them.
static void registerShellResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(shell);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace veloquill {

namespace {
QIcon themeIconOr(const QString& name, const QString& drawing, std::initializer_list<int> sizes)
{
    if (QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    registerShellResources();
    return svgIcon(drawing, sizes);
}
} // namespace

QIcon menuIcon()
{
    return themeIconOr(QStringLiteral(VELOQUILL_APP_ID "-symbolic"),
                       QStringLiteral(":/veloquill/shell/MenuIcon.svg"), {16, 22, 24, 32, 48});
}

QIcon applicationIcon()
{
    return themeIconOr(QStringLiteral(VELOQUILL_APP_ID),
                       QStringLiteral(":/veloquill/shell/AppIcon.svg"),
                       {16, 22, 24, 32, 48, 64, 128});
}

} // namespace veloquill
