// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "views/help_button.h"

#include "views/accessible_style.h"
#include "views/contrast.h"
#include "views/target_size.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QTextDocument>
#include <QVBoxLayout>

namespace veloquill {

namespace {
constexpr int kSymbolSize = 14;
constexpr int kInset = 16;
constexpr int kSpacing = 8;
constexpr int kTextPixelSize = 13;
constexpr int kGapToAnchor = 6;
constexpr int kPressGraceMs = 300;
} // namespace

HelpButton::HelpButton(const QString& title, const QString& helpText, QWidget* parent)
    : QAbstractButton(parent)
{
    // Rich text wraps in a tooltip where plain text would make one line as wide as the
    // screen; the conversion escapes the text, so it still shows exactly as written.
    setToolTip(Qt::convertFromPlainText(helpText, Qt::WhiteSpaceNormal));
    setAccessibleName(tr("Help: %1").arg(title));
    setAccessibleDescription(helpText);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(kMinimumTarget);
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

void HelpButton::showHelp()
{
    // The button opens and closes its panel.
    if (isShowingHelp()) {
        m_popover->dismiss();
        return;
    }
    if (!m_popover)
        m_popover = new HelpPopover(accessibleName(), accessibleDescription(), window());
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

// Not a popup: Qt leaves popups out of what screen readers see, and gives them no focus.
HelpPopover::HelpPopover(const QString& name, const QString& helpText, QWidget* parent)
    : QFrame(parent, Qt::Tool | Qt::FramelessWindowHint)
{
    installAccessibleRole<HelpPopover, QAccessible::Dialog>();
    setAccessibleName(name);
    // Window managers and task lists name it too.
    setWindowTitle(accessibleName());
    setFrameShape(QFrame::Box);

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
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setBackgroundRole(QPalette::Base);
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setWidget(page);

    m_close = new QPushButton(tr("Close"));
    m_close->setMinimumSize(kMinimumTarget);
    m_close->setAutoDefault(false);
    connect(m_close, &QPushButton::clicked, this, &HelpPopover::dismiss);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(kSpacing, kSpacing, kSpacing, kSpacing);
    buttons->addStretch();
    buttons->addWidget(m_close);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(lineWidth(), lineWidth(), lineWidth(), lineWidth());
    layout->setSpacing(0);
    layout->addWidget(m_scrollArea);
    layout->addLayout(buttons);

    m_pressGrace.setSingleShot(true);
    m_pressGrace.setInterval(kPressGraceMs);
    connect(&m_pressGrace, &QTimer::timeout, this, [this] {
        if (!isVisible() && !m_swallowingClick)
            qApp->removeEventFilter(this);
    });
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
    // Under the row the button explains, so that row's controls stay in sight and reachable.
    const QWidget* row = anchor->parentWidget() ? anchor->parentWidget() : anchor;
    const QRect rowOnScreen(row->mapToGlobal(QPoint()), row->size());
    const bool leftToRight = anchor->layoutDirection() == Qt::LeftToRight;
    const QPoint anchorOnScreen = anchor->mapToGlobal(QPoint());
    QRect frame(QPoint(), size());
    frame.moveTop(rowOnScreen.bottom() + 1 + kGapToAnchor);
    if (leftToRight)
        frame.moveLeft(anchorOnScreen.x());
    else
        frame.moveRight(anchorOnScreen.x() + anchor->width() - 1);
    if (screen) {
        const QRect available = screen->availableGeometry();
        if (frame.bottom() > available.bottom())
            frame.moveBottom(rowOnScreen.top() - 1 - kGapToAnchor);
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

void HelpPopover::dismiss()
{
    hide();
    m_pressGrace.stop();
    qApp->removeEventFilter(this);
    if (m_anchor) {
        m_anchor->activateWindow();
        m_anchor->setFocus(Qt::PopupFocusReason);
    }
}

void HelpPopover::showEvent(QShowEvent* event)
{
    QFrame::showEvent(event);
    m_pressGrace.stop();
    // Installing again changes nothing.
    qApp->installEventFilter(this);
}

bool HelpPopover::event(QEvent* event)
{
    // A click elsewhere, or another window, takes the activation away. The press may arrive
    // after this: it is still only the click that closed the panel.
    if (event->type() == QEvent::WindowDeactivate && isVisible()) {
        hide();
        m_pressGrace.start();
    }
    return QFrame::event(event);
}

bool HelpPopover::eventFilter(QObject* watched, QEvent* event)
{
    if (!watched->isWidgetType() || static_cast<QWidget*>(watched)->window() == this)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (!isVisible() && !m_pressGrace.isActive())
            return false;
        // Closing is all a click outside does: it would otherwise also act on what it hit,
        // and on the "?" it would open the panel again at once.
        m_pressGrace.stop();
        hide();
        // The window clicked comes forward, as the click would have brought it.
        static_cast<QWidget*>(watched)->window()->activateWindow();
        m_swallowingClick = true;
        return true;
    case QEvent::MouseButtonRelease:
        if (!m_swallowingClick)
            return false;
        m_swallowingClick = false;
        qApp->removeEventFilter(this);
        return true;
    default:
        return false;
    }
}

void HelpPopover::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Escape) {
        QFrame::keyPressEvent(event);
        return;
    }
    dismiss();
}

} // namespace veloquill
