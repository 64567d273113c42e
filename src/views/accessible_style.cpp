// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "views/accessible_style.h"

#include "views/contrast.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QProxyStyle>
#include <QStyleOption>

#include <algorithm>

namespace veloquill {

namespace {
// How wide the keyboard focus ring is drawn, and the room check boxes and radio buttons keep
// around their content for it.
constexpr int kFocusRingWidth = 2;
constexpr int kFocusRingSpace = kFocusRingWidth + 1;
constexpr int kMinimumHandleSize = 24;
constexpr int kMinimumSliderThickness = 44;
constexpr int kMinimumIndicatorSize = 20;
// Menu items tall enough to hit where the tray lets the program draw its menu.
constexpr int kMinimumMenuItemHeight = 32;
// A scroll bar wide enough to hit, where content still scrolls.
constexpr int kMinimumScrollBarExtent = 16;
constexpr const char* kDisabledTextKeeperName = "veloquill-disabled-text";

void drawFocusRing(QPainter* painter, const QRect& rect, const QPalette& palette)
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(focusRingColor(palette), kFocusRingWidth));
    painter->setBrush(Qt::NoBrush);
    // Inset by half the pen so the whole ring lies inside the control and is not clipped.
    const qreal half = kFocusRingWidth / 2.0;
    painter->drawRoundedRect(QRectF(rect).adjusted(half, half, -half, -half), 3, 3);
    painter->restore();
}

// Redraws an outline the base style drew in a colour too faint to see, over the same pixels.
void strokeOutline(QPainter* painter, const QRectF& outline, qreal radius,
                   const QStyleOption* option, bool ellipse = false)
{
    if (!(option->state & QStyle::State_Enabled))
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    // Round outlines are smoothed over two pixels; a wider pen keeps their middle at full
    // colour.
    painter->setPen(QPen(controlBorderColor(option->palette), ellipse ? 1.5 : 1));
    painter->setBrush(Qt::NoBrush);
    if (ellipse)
        painter->drawEllipse(outline);
    else
        painter->drawRoundedRect(outline, radius, radius);
    painter->restore();
}

QRectF pixelCentred(const QRect& rect, qreal inset)
{
    return QRectF(rect).adjusted(inset, inset, -inset, -inset);
}

template <typename Option> Option withoutFocus(const Option& option)
{
    Option copy = option;
    copy.state &= ~QStyle::State_HasFocus;
    return copy;
}

// Disabled controls need not stand out, but their text stays readable.
void keepDisabledTextReadable(QPalette& palette)
{
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, disabledTextColor(palette, role));
}

// The desktop's palette gets readable disabled text from the style (AccessibleStyle::polish);
// a palette set on the application replaces it, so this follows each one set. It sets the
// application palette only when the disabled text needs a change: an application palette set
// explicitly is resolved afresh for every widget, which gives each widget of each new window
// style pixmaps of its own in the process-wide pixmap cache, and the cache keeps them long
// after the window is gone.
class DisabledTextKeeper : public QObject
{
public:
    explicit DisabledTextKeeper(QApplication& app) : QObject(&app)
    {
        setObjectName(kDisabledTextKeeperName);
        app.installEventFilter(this);
        apply();
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange)
            apply();
        return false;
    }

private:
    static void apply()
    {
        const QPalette current = QApplication::palette();
        QPalette palette = current;
        keepDisabledTextReadable(palette);
        // Setting the same colours again would change nothing but make the palette explicit.
        if (palette != current)
            QApplication::setPalette(palette);
    }
};

// The desktop's own style, drawn so that people with low vision can follow it: a 2 px focus
// ring on every focused control, control outlines that stand out from the window, and a
// slider handle large enough to hit. Every colour comes from the palette of the moment, so a
// changed or high-contrast palette is followed.
class AccessibleStyle : public QProxyStyle
{
public:
    explicit AccessibleStyle(const QString& baseStyleName) : QProxyStyle(baseStyleName) {}

    using QProxyStyle::polish;
    // The desktop's palette, with disabled text kept readable.
    void polish(QPalette& palette) override
    {
        QProxyStyle::polish(palette);
        keepDisabledTextReadable(palette);
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        switch (element) {
        case PE_FrameFocusRect:
            // Drawn whenever the caller has focus, not only after a key press: people who steer
            // with a switch or head mouse need to see where keys would go before pressing one.
            drawFocusRing(painter, option->rect, option->palette);
            return;
        case PE_IndicatorCheckBox:
        case PE_IndicatorRadioButton:
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            strokeOutline(painter, pixelCentred(option->rect, 0.5), 0, option,
                          element == PE_IndicatorRadioButton);
            return;
        case PE_FrameLineEdit:
        case PE_PanelButtonCommand: {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
            if (!button || !(button->features & QStyleOptionButton::Flat))
                strokeOutline(painter, pixelCentred(option->rect, 0.5), 2, option);
            if (element == PE_FrameLineEdit && option->state & State_HasFocus)
                drawFocusRing(painter, option->rect, option->palette);
            return;
        }
        default:
            QProxyStyle::drawPrimitive(element, option, painter, widget);
        }
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
        if (!button ||
            (element != CE_CheckBox && element != CE_RadioButton && element != CE_PushButton)) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        // One ring around the whole control replaces the base style's own focus marks.
        QStyleOptionButton content = withoutFocus(*button);
        if (element != CE_PushButton)
            content.rect = button->rect.adjusted(kFocusRingSpace, kFocusRingSpace, -kFocusRingSpace,
                                                 -kFocusRingSpace);
        QProxyStyle::drawControl(element, &content, painter, widget);
        if (button->state & State_HasFocus)
            drawFocusRing(painter, button->rect, button->palette);
    }

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override
    {
        const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option);
        if (control != CC_Slider || !slider) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        const QStyleOptionSlider content = withoutFocus(*slider);
        QProxyStyle::drawComplexControl(control, &content, painter, widget);
        if (slider->subControls & SC_SliderGroove) {
            const QRect groove = subControlRect(control, slider, SC_SliderGroove, widget);
            strokeOutline(painter, pixelCentred(groove, 1.5), 1, slider);
        }
        if (slider->subControls & SC_SliderHandle) {
            const QRect handle = subControlRect(control, slider, SC_SliderHandle, widget);
            strokeOutline(painter, pixelCentred(handle, 1.5), 2, slider);
        }
        if (slider->state & State_HasFocus)
            drawFocusRing(painter, slider->rect, slider->palette);
    }

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override
    {
        const int base = QProxyStyle::pixelMetric(metric, option, widget);
        switch (metric) {
        case PM_SliderLength:
        case PM_SliderControlThickness:
            return std::max(base, kMinimumHandleSize);
        case PM_SliderThickness:
            return std::max(base, kMinimumSliderThickness);
        case PM_IndicatorWidth:
        case PM_IndicatorHeight:
        case PM_ExclusiveIndicatorWidth:
        case PM_ExclusiveIndicatorHeight:
            return std::max(base, kMinimumIndicatorSize);
        case PM_ScrollBarExtent:
            return std::max(base, kMinimumScrollBarExtent);
        default:
            return base;
        }
    }

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                         SubControl subControl, const QWidget* widget) const override
    {
        QRect rect = QProxyStyle::subControlRect(control, option, subControl, widget);
        const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option);
        if (control != CC_Slider || subControl != SC_SliderHandle || !slider)
            return rect;
        // Some styles make the handle as thick as the whole slider; a square handle keeps the
        // groove visible beside it.
        const int thickness = pixelMetric(PM_SliderControlThickness, option, widget);
        const QPoint centre = rect.center();
        if (slider->orientation == Qt::Horizontal)
            rect.setHeight(thickness);
        else
            rect.setWidth(thickness);
        rect.moveCenter(centre);
        return rect;
    }

    QRect subElementRect(SubElement element, const QStyleOption* option,
                         const QWidget* widget) const override
    {
        // A check box or radio button takes clicks on its whole row, not only on its mark and
        // label, so its full height is a target (and what screen readers report as its extent).
        if (element == SE_CheckBoxClickRect || element == SE_RadioButtonClickRect)
            return option->rect;
        return QProxyStyle::subElementRect(element, option, widget);
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override
    {
        const QSize base = QProxyStyle::sizeFromContents(type, option, size, widget);
        if (type == CT_CheckBox || type == CT_RadioButton)
            return base + QSize(2 * kFocusRingSpace, 2 * kFocusRingSpace);
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (type == CT_MenuItem && item && item->menuItemType != QStyleOptionMenuItem::Separator)
            return base.expandedTo(QSize(0, kMinimumMenuItemHeight));
        return base;
    }
};
} // namespace

void installAccessibleStyle(QApplication& app)
{
    if (!dynamic_cast<AccessibleStyle*>(QApplication::style()))
        QApplication::setStyle(new AccessibleStyle(QApplication::style()->name()));
    if (!app.findChild<QObject*>(kDisabledTextKeeperName, Qt::FindDirectChildrenOnly))
        new DisabledTextKeeper(app);
}

} // namespace veloquill
