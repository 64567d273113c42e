// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <initializer_list>

namespace veloquill {

// Renders a drawing from the program's resources, sharp on the current screens. A missing
// or unreadable resource gives a null pixmap / icon.
QPixmap renderSvg(const QString& resource, QSize size);
QIcon svgIcon(const QString& resource, std::initializer_list<int> sizes);

} // namespace veloquill
