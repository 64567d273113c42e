// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/menu_icon.h"

#include "views/svg_icon.h"

#include <QPainter>

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

QIcon precisionMenuIcon()
{
    const QIcon base = menuIcon();
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48}) {
        QPixmap pixmap = base.pixmap(QSize(size, size), 1.0);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        // A dark dot with a light rim, as the quill is drawn, so it reads on any panel.
        const qreal dot = size * 0.45;
        const QRectF corner(size - dot, size - dot, dot, dot);
        painter.setPen(QPen(Qt::white, qMax(1.0, size / 16.0)));
        painter.setBrush(QColor(0xc0, 0x1c, 0x28));
        painter.drawEllipse(corner.adjusted(0.5, 0.5, -0.5, -0.5));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon applicationIcon()
{
    return themeIconOr(QStringLiteral(VELOQUILL_APP_ID),
                       QStringLiteral(":/veloquill/shell/AppIcon.svg"),
                       {16, 22, 24, 32, 48, 64, 128});
}

} // namespace veloquill
