// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QAccessibleWidget>
#include <QProxyStyle>

class QApplication;

namespace veloquill {

// The desktop's own style, drawn so that people with low vision can follow it: a 2 px focus
// ring on every focused control, control outlines that stand out from the window, and a
// slider handle large enough to hit. Every colour comes from the palette of the moment, so a
// changed or high-contrast palette is followed.
class AccessibleStyle : public QProxyStyle
{
    Q_OBJECT

public:
    explicit AccessibleStyle(const QString& baseStyleName);

    using QProxyStyle::polish;
    // The desktop's palette, with disabled text kept readable.
    void polish(QPalette& palette) override;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                         SubControl subControl, const QWidget* widget = nullptr) const override;
    QRect subElementRect(SubElement element, const QStyleOption* option,
                         const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget = nullptr) const override;
};

// Wraps the application's style in AccessibleStyle and keeps the disabled text of the
// application palette readable (at least 3:1), also after the palette changes. Called once,
// after the QApplication exists; calling again changes nothing.
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
