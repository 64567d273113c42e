// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/about_window_controller.h"

#include "shell/about_info.h"
#include "shell/shell_window.h"
#include "support/log.h"

namespace veloquill {

AboutFacts aboutFacts()
{
    return {QString::fromUtf8(about::kVersion), QString::fromUtf8(about::kSessions),
            QStringLiteral("%1 (%2)").arg(QString::fromUtf8(about::kLicenseName),
                                          QString::fromUtf8(about::kLicense)),
            QUrl(QString::fromUtf8(about::kHomepage)), QUrl(QString::fromUtf8(about::kBugTracker))};
}

AboutWindowController::AboutWindowController(ContentFactory content, QObject* parent)
    : QObject(parent), m_content(std::move(content))
{
    if (!m_content)
        m_content = [] { return new AboutView(aboutFacts()); };
}

AboutWindowController::~AboutWindowController()
{
    delete m_aboutWindow;
}

AboutWindowController& AboutWindowController::shared()
{
    // Lives for the whole process, like the window it keeps.
    static AboutWindowController* instance = new AboutWindowController;
    return *instance;
}

ShellWindow* AboutWindowController::aboutWindow() const
{
    return m_aboutWindow.data();
}

void AboutWindowController::bringToFront()
{
    if (m_windowReleased) {
        auto* window = new ShellWindow(QStringLiteral("About Veloquill"), kWindowSize);
        // Fixed, at most as large as the screen; larger text scrolls.
        window->setFixedSize(window->size());
        window->setContent(m_content());
        connect(window, &ShellWindow::closing, this, &AboutWindowController::windowWillClose);
        m_aboutWindow = window;
        m_windowReleased = false;
    }
    if (!m_aboutWindow) {
        logLine(QStringLiteral("Error: About window could not be initialized."));
        return;
    }
    m_aboutWindow->bringForward();
}

void AboutWindowController::windowWillClose()
{
    m_aboutWindow->disconnect(this);
    m_aboutWindow->deleteLater();
    m_aboutWindow = nullptr;
    m_windowReleased = true;
}

} // namespace veloquill
