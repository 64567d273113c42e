// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "views/help_popover.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

namespace veloquill {

namespace {
constexpr int kInset = 16;
constexpr int kSpacing = 8;
constexpr int kTextPixelSize = 13;
constexpr int kGapToAnchor = 6;

QAccessibleInterface* accessibleHelpPopover(const QString& className, QObject* object)
{
    if (className == QLatin1String(HelpPopover::staticMetaObject.className()) &&
        object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Dialog);
    return nullptr;
}
} // namespace

// Not a popup: Qt leaves popups out of what screen readers see, and gives them no focus.
HelpPopover::HelpPopover(const QString& title, const QString& helpText, QWidget* parent)
    : QFrame(parent, Qt::Tool | Qt::FramelessWindowHint)
{
    static const bool accessible = [] {
        QAccessible::installFactory(accessibleHelpPopover);
        return true;
    }();
    Q_UNUSED(accessible);
    setAccessibleName(QStringLiteral("Help: ") + title);
    // Window managers and task lists name it too.
    setWindowTitle(accessibleName());
    setFrameShape(QFrame::Box);
    setLineWidth(1);

    m_text = new QLabel;
    m_text->setTextFormat(Qt::PlainText);
    m_text->setText(helpText);
    m_text->setWordWrap(true);
    m_text->setAlignment(Qt::AlignLeading | Qt::AlignTop);
    // Focusable, so that a screen reader reads it and the keyboard can go through it.
    m_text->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    m_text->setFocusPolicy(Qt::StrongFocus);
    m_text->setForegroundRole(QPalette::Text);
    QFont font = m_text->font();
    font.setPixelSize(kTextPixelSize);
    m_text->setFont(font);

    auto* page = new QWidget;
    page->setBackgroundRole(QPalette::Base);
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(kInset, kInset, kInset, kInset);
    pageLayout->setSpacing(kSpacing);
    pageLayout->addWidget(m_text);
    pageLayout->addStretch();

    // Long texts scroll; lines wrap at the panel's width and are never cut off at the side.
    m_scrollArea = new QScrollArea;
    m_scrollArea->setFixedSize(kPanelSize);
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setBackgroundRole(QPalette::Base);
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setWidget(page);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(lineWidth(), lineWidth(), lineWidth(), lineWidth());
    layout->addWidget(m_scrollArea);
}

void HelpPopover::showBeside(QWidget* anchor)
{
    m_anchor = anchor;
    const QScreen* screen = anchor->screen();
    // Never larger than the screen, whatever the text size: the text scrolls instead.
    const QSize frameSize(2 * lineWidth(), 2 * lineWidth());
    m_scrollArea->setFixedSize(
        screen ? kPanelSize.boundedTo(screen->availableGeometry().size() - frameSize) : kPanelSize);
    adjustSize();
    const bool leftToRight = anchor->layoutDirection() == Qt::LeftToRight;
    const QPoint middle(0, anchor->height() / 2);
    const QPoint trailing =
        anchor->mapToGlobal(middle + QPoint(leftToRight ? anchor->width() : 0, 0));
    const QPoint leading =
        anchor->mapToGlobal(middle + QPoint(leftToRight ? 0 : anchor->width(), 0));

    QRect frame(QPoint(), size());
    const auto besideTrailing = [&] {
        frame.moveCenter(trailing);
        frame.moveLeft(leftToRight ? trailing.x() + kGapToAnchor
                                   : trailing.x() - kGapToAnchor - frame.width());
    };
    const auto besideLeading = [&] {
        frame.moveCenter(leading);
        frame.moveLeft(leftToRight ? leading.x() - kGapToAnchor - frame.width()
                                   : leading.x() + kGapToAnchor);
    };
    besideTrailing();
    if (screen) {
        const QRect available = screen->availableGeometry();
        if (frame.left() < available.left() || frame.right() > available.right())
            besideLeading();
        // Whatever side it ends up on, it stays whole on the screen.
        frame.moveLeft(qBound(available.left(), frame.left(), available.right() - frame.width()));
        frame.moveTop(qBound(available.top(), frame.top(), available.bottom() - frame.height()));
    }
    move(frame.topLeft());
    show();
    raise();
    activateWindow();
    m_text->setFocus(Qt::PopupFocusReason);
}

bool HelpPopover::event(QEvent* event)
{
    // A click elsewhere takes the activation away.
    if (event->type() == QEvent::WindowDeactivate)
        hide();
    return QFrame::event(event);
}

void HelpPopover::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Escape) {
        QFrame::keyPressEvent(event);
        return;
    }
    hide();
    if (m_anchor) {
        m_anchor->activateWindow();
        m_anchor->setFocus(Qt::PopupFocusReason);
    }
}

} // namespace veloquill
