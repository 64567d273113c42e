// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "views/help_button.h"

#include "views/contrast.h"
#include "views/help_popover.h"
#include "views/target_size.h"

#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QTextDocument>

namespace veloquill {

namespace {
constexpr int kSymbolSize = 14;
} // namespace

HelpButton::HelpButton(const QString& title, const QString& helpText, QWidget* parent)
    : QAbstractButton(parent), m_title(title), m_helpText(helpText)
{
    // Rich text wraps in a tooltip where plain text would make one line as wide as the
    // screen; the conversion escapes the text, so it still shows exactly as written.
    setToolTip(Qt::convertFromPlainText(helpText, Qt::WhiteSpaceNormal));
    setAccessibleName(tr("Help: %1").arg(title));
    setAccessibleDescription(helpText);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QAbstractButton::clicked, this, &HelpButton::showHelp);
}

HelpButton::~HelpButton()
{
    // The panel is a window of the button's window, not a child of the button.
    delete m_popover;
}

bool HelpButton::isShowingHelp() const
{
    return m_popover && m_popover->isVisible();
}

QSize HelpButton::sizeHint() const
{
    return kMinimumTarget;
}

void HelpButton::showHelp()
{
    // The button opens and closes its panel.
    if (isShowingHelp()) {
        m_popover->dismiss();
        return;
    }
    if (!m_popover)
        m_popover = new HelpPopover(m_title, m_helpText, window());
    m_popover->showBeside(this);
}

void HelpButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Dimmer than text while idle, but as readable as secondary text in any palette.
    const QColor ink =
        isDown() ? palette().color(QPalette::WindowText) : secondaryTextColor(palette());

    const QRectF symbol(QPointF(0, 0), QSizeF(kSymbolSize, kSymbolSize));
    QRectF circle = symbol.adjusted(0.75, 0.75, -0.75, -0.75);
    circle.moveCenter(QRectF(rect()).center());
    painter.setPen(QPen(ink, 1.3));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(circle);

    QFont font = this->font();
    font.setPixelSize(kSymbolSize - 4);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(circle, Qt::AlignCenter, QStringLiteral("?"));

    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
    }
}

} // namespace veloquill
