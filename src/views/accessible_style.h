// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QAccessibleWidget>

class QApplication;

namespace veloquill {

// Wraps the application's style in one drawn so that people with low vision can follow it, and
// keeps the disabled text of the application palette readable (at least 3:1), also after the
// palette changes. Called once, after the QApplication exists; calling again changes nothing.
void installAccessibleStyle(QApplication& app);

// Screen readers take every widget of class Widget as `role`, through Interface (made from the
// widget and the role). Installed once per class; calling again changes nothing.
template <typename Widget, QAccessible::Role role, typename Interface = QAccessibleWidget>
void installAccessibleRole()
{
    static const bool installed = [] {
        QAccessible::installFactory(
            [](const QString& className, QObject* object) -> QAccessibleInterface* {
                if (className != QLatin1String(Widget::staticMetaObject.className()) ||
                    !object->isWidgetType())
                    return nullptr;
                return new Interface(static_cast<Widget*>(object), role);
            });
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace veloquill
