#include "shell/shell_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QScreen>
#include <QVBoxLayout>

namespace veloquill {

ShellWindow::ShellWindow(const QString& title, QSize contentSize)
{
    setWindowTitle(title);
    // A tray program keeps running with no window open.
    setAttribute(Qt::WA_QuitOnClose, false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    resize(contentSize);
    centreOnScreen();
}

void ShellWindow::setContent(QWidget* content)
{
    delete m_content;
    m_content = content;
    if (m_content)
        layout()->addWidget(m_content);
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

void ShellWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    Q_EMIT closing();
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
    QRect content(QPoint(), size());
    content.moveCenter(screen->availableGeometry().center());
    setGeometry(content);
}

} // namespace veloquill
