// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "views/svg_icon.h"

#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

// The drawings of the views live in this static library; registering them here makes sure
// the linker keeps them.
static void registerViewResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(views);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace veloquill {

namespace {
QPixmap render(QSvgRenderer& renderer, QSize size, qreal ratio)
{
    QPixmap pixmap(size * ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}
} // namespace

QPixmap renderSvg(const QString& resource, QSize size)
{
    registerViewResources();
    QSvgRenderer renderer(resource);
    if (!renderer.isValid())
        return {};
    return render(renderer, size, qGuiApp->devicePixelRatio());
}

QIcon svgIcon(const QString& resource, std::initializer_list<int> sizes)
{
    registerViewResources();
    QSvgRenderer renderer(resource);
    if (!renderer.isValid())
        return {};
    QIcon icon;
    // Plain and double density, so a tray on a high-density screen gets a sharp image too.
    for (int size : sizes) {
        icon.addPixmap(render(renderer, QSize(size, size), 1.0));
        icon.addPixmap(render(renderer, QSize(size, size), 2.0));
    }
    return icon;
}

} // namespace veloquill
