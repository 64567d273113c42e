// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "login_item/start_at_login.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QThread>

namespace veloquill {

namespace {
// The program's error log, "<app-id>.main": a failure the user did not see happen (a login
// entry that could not be written) is reported here at critical level.
Q_LOGGING_CATEGORY(lcMain, VELOQUILL_APP_ID ".main")

// How the entry names the program: by its bare name when that is what the PATH runs, so
// the entry still works after a package update or a move along the PATH; by its absolute
// path otherwise (a build folder, an unpacked copy, a second copy earlier on the PATH).
QString launchCommand(const QString& programPath)
{
    const QString name = QStringLiteral("veloquill");
    const QString found = QFileInfo(QStandardPaths::findExecutable(name)).canonicalFilePath();
    if (!found.isEmpty() && found == QFileInfo(programPath).canonicalFilePath())
        return name;
    return programPath;
}
} // namespace

StartAtLogin& StartAtLogin::shared()
{
    static StartAtLogin* instance = [] {
        auto* startAtLogin = new StartAtLogin(QStringLiteral(VELOQUILL_APP_ID),
                                              QCoreApplication::applicationFilePath());
        // Stream values go out on the main loop, whichever thread asked first.
        startAtLogin->moveToThread(QCoreApplication::instance()->thread());
        return startAtLogin;
    }();
    return *instance;
}

StartAtLogin::StartAtLogin(const QString& appId, QString programPath, QObject* parent)
    : QObject(parent), m_entry(appId), m_programPath(std::move(programPath))
{}

StartAtLogin::~StartAtLogin() = default;

bool StartAtLogin::isEnabled() const
{
    return m_entry.isEnabled();
}

void StartAtLogin::setEnabled(bool enabled)
{
    Q_EMIT willChange();
    registerForLogin(enabled);
    // What the file system now says, so that a refused write is not shown as done.
    m_streamed = isEnabled();
    Q_EMIT streamed(*m_streamed);
}

void StartAtLogin::subscribe(QObject* context, Receiver receiver)
{
    if (!m_streamed)
        m_streamed = isEnabled();
    // Both queued to the context: a receiver never runs inside the write that caused it, and
    // the current value arrives before any later one.
    QMetaObject::invokeMethod(
        context, [receiver, value = *m_streamed] { receiver(value); }, Qt::QueuedConnection);
    connect(this, &StartAtLogin::streamed, context, std::move(receiver), Qt::QueuedConnection);
}

void StartAtLogin::registerForLogin(bool enabled)
{
    const std::optional<QString> failure =
        enabled ? m_entry.write(launchCommand(m_programPath)) : m_entry.remove();
    if (failure)
        qCCritical(lcMain, "Failed to %s launch at login: %s", enabled ? "enable" : "disable",
                   qUtf8Printable(*failure));
}

} // namespace veloquill
