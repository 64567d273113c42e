// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "views/link_row.h"

#include "views/svg_icon.h"
#include "views/target_size.h"
#include "views/text_styles.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace veloquill {

namespace {
constexpr int kSymbolSize = 16;
constexpr int kVerticalPadding = 4;
} // namespace

LinkRow::LinkRow(const QString& symbolResource, const QString& label, const QUrl& destination,
                 UrlOpener opener, QWidget* parent)
    : QAbstractButton(parent), m_destination(destination), m_opener(std::move(opener))
{
    auto* symbol = new QLabel;
    symbol->setPixmap(renderSvg(symbolResource, QSize(kSymbolSize, kSymbolSize)));
    auto* text = new QLabel;
    text->setTextFormat(Qt::PlainText);
    text->setText(label);
    // Away, in the direction the line reads.
    auto* arrow = new QLabel(isRightToLeft() ? QStringLiteral("↖") : QStringLiteral("↗"));
    arrow->setFont(captionFont());
    makeSecondary(arrow);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, kVerticalPadding, 0, kVerticalPadding);
    layout->addWidget(symbol);
    layout->addWidget(text);
    layout->addWidget(arrow);
    layout->addStretch();
    // Clicks anywhere on the row reach the row itself.
    for (QWidget* part :
         {static_cast<QWidget*>(symbol), static_cast<QWidget*>(text), static_cast<QWidget*>(arrow)})
        part->setAttribute(Qt::WA_TransparentForMouseEvents);

    setAccessibleName(label);
    setToolTip(destination.toString());
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QAbstractButton::clicked, this, [this] { m_opener(m_destination); });
}

QSize LinkRow::sizeHint() const
{
    return layout()->sizeHint().expandedTo(kMinimumTarget);
}

void LinkRow::paintEvent(QPaintEvent*)
{
    // No bezel: the row looks like a line of text; only keyboard focus is drawn.
    if (!hasFocus())
        return;
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

} // namespace veloquill
