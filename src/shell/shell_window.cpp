// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/shell_window.h"

#include "support/log.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace veloquill {

namespace {
// How long a window manager may take to frame a new window.
constexpr int kFrameSettleMs = 250;

std::function<void()>& quitAction()
{
    // exit, not quit: Qt's quit first asks every window to close, and a window may refuse
    // (the settings window does once without a tray, to say how to come back).
    static std::function<void()> action = [] { QCoreApplication::exit(0); };
    return action;
}

// A plain top-level widget reads as a "filler" to AT-SPI; a window role makes it a frame.
QAccessibleInterface* shellWindowAccessible(const QString& className, QObject* object)
{
    if (className != QLatin1String(ShellWindow::staticMetaObject.className()))
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
}

QRect availableArea(const QWidget* window)
{
    const QScreen* screen = window->screen();
    return screen ? screen->availableGeometry() : QRect(QPoint(), window->size());
}
} // namespace

ShellWindow::ShellWindow(const QString& title, QSize contentSize)
    : m_scrollArea(new QScrollArea(this))
{
    QAccessible::installFactory(&shellWindowAccessible); // once: Qt skips a known factory
    setWindowTitle(title);
    // A tray program keeps running with no window open.
    setAttribute(Qt::WA_QuitOnClose, false);
    // Without a frame the content looks the same as before it could scroll; the scroll area
    // itself is no tab stop, only what it holds.
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_scrollArea, 1);
    // The content's minimum size changing (more devices listed, larger text) reaches the
    // viewport, its parent.
    m_scrollArea->viewport()->installEventFilter(this);

    // Shortcuts rather than key handling, so they work whichever widget keeps the key.
    new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_W), this, this, &QWidget::close);
    new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this, this, &ShellWindow::quit);
    resize(contentSize);
    centreOnScreen();
}

void ShellWindow::setContent(QWidget* content)
{
    if (QWidget* old = m_scrollArea->takeWidget())
        delete old;
    if (!content)
        return;
    m_scrollArea->setWidget(content);
    growToFitContent();
}

QWidget* ShellWindow::content() const
{
    return m_scrollArea->widget();
}

void ShellWindow::setFooter(QWidget* footer)
{
    delete m_footer;
    m_footer = footer;
    if (m_footer)
        layout()->addWidget(m_footer);
}

void ShellWindow::bringForward()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

bool ShellWindow::isOnScreen() const
{
    return isVisible() && !isMinimized();
}

bool ShellWindow::anyOnScreen()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (const auto* window = qobject_cast<const ShellWindow*>(widget);
            window && window->isOnScreen())
            return true;
    }
    return false;
}

void ShellWindow::setQuitAction(std::function<void()> quit)
{
    quitAction() = std::move(quit);
}

void ShellWindow::quit()
{
    quitAction()();
}

void ShellWindow::closeEvent(QCloseEvent* event)
{
    if (m_closeGuard && !m_closeGuard()) {
        event->ignore();
        return;
    }
    event->accept();
    Q_EMIT closing();
}

void ShellWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The frame around the window must fit on the screen too. Some window managers put it
    // on only after the window is shown, without moving the window: look again a moment
    // later.
    growToFitContent();
    QTimer::singleShot(kFrameSettleMs, this, &ShellWindow::growToFitContent);
}

void ShellWindow::keyPressEvent(QKeyEvent* event)
{
    // Keys no widget took arrive here: a line edit keeps its Return, and a window-level
    // Escape shortcut (a bar asking to keep a change) wins over closing.
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    const int key = event->key();
    auto* button = qobject_cast<QAbstractButton*>(focusWidget());
    if (plain && (key == Qt::Key_Return || key == Qt::Key_Enter) && button) {
        button->click();
    } else if (plain && key == Qt::Key_Escape) {
        close();
    } else if (plain && (key == Qt::Key_PageDown || key == Qt::Key_PageUp)) {
        // Content that does not fit scrolls by keyboard too, not only by its scroll bar.
        m_scrollArea->verticalScrollBar()->triggerAction(key == Qt::Key_PageDown
                                                             ? QAbstractSlider::SliderPageStepAdd
                                                             : QAbstractSlider::SliderPageStepSub);
    } else {
        QWidget::keyPressEvent(event);
    }
}

bool ShellWindow::eventFilter(QObject* watched, QEvent* event)
{
    // On screen, the window keeps the size and place the user sees: content that grows
    // meanwhile (a device arriving, larger text) scrolls instead of moving the controls.
    if (watched == m_scrollArea->viewport() && event->type() == QEvent::LayoutRequest &&
        !isVisible())
        growToFitContent();
    return QWidget::eventFilter(watched, event);
}

void ShellWindow::centreOnScreen()
{
    // The screen the user is working on: the one under the pointer.
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // The content area is centred; the title bar above it leaves the window a little above
    // the middle, where a window's eye-line sits.
    const QRect available = screen->availableGeometry();
    QRect content(QPoint(), size().boundedTo(available.size()));
    content.moveCenter(available.center());
    setGeometry(content);
}

void ShellWindow::growToFitContent()
{
    // As much larger as the content needs to show without scrolling, up to the screen.
    QWidget* shown = content();
    if (!shown)
        return;
    layout()->activate();
    QSize wanted = shown->minimumSizeHint().expandedTo(shown->minimumSize());
    // Wrapped text is as tall as the width it gets makes it.
    if (shown->hasHeightForWidth()) {
        const int width = std::max(wanted.width(), m_scrollArea->maximumViewportSize().width());
        wanted.setHeight(std::max(wanted.height(), shown->heightForWidth(width)));
    }
    const QSize missing = (wanted - m_scrollArea->maximumViewportSize()).expandedTo(QSize(0, 0));
    const QRect available = availableArea(this);
    const QSize frame = frameGeometry().size() - size();
    const QSize target = (size() + missing).boundedTo(available.size() - frame);
    if (target == size())
        return;
    if (!isVisible()) {
        resize(target);
        centreOnScreen();
        return;
    }
    // Grown on screen: moved only as far as it takes to stay inside the available area.
    QRect outer(frameGeometry().topLeft(), target + frame);
    outer.moveRight(std::min(outer.right(), available.right()));
    outer.moveBottom(std::min(outer.bottom(), available.bottom()));
    outer.moveLeft(std::max(outer.left(), available.left()));
    outer.moveTop(std::max(outer.top(), available.top()));
    resize(target);
    move(outer.topLeft());
}

ShellWindow* OnDemandWindow::bringForward(const std::function<ShellWindow*()>& make,
                                          const QString& failure)
{
    if (m_released) {
        m_window = make();
        QObject::connect(
            m_window, &ShellWindow::closing, m_window,
            [this] {
                m_window->deleteLater();
                m_window = nullptr;
                m_released = true;
            },
            Qt::SingleShotConnection);
        m_released = false;
    }
    if (!m_window) {
        logLine(failure);
        return nullptr;
    }
    m_window->bringForward();
    return m_window;
}

} // namespace veloquill
