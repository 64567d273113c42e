#include "desktop_session.h"

#include "screen_robot.h"
#include "wait_until.h"

#include <QFile>
#include <QProcessEnvironment>
#include <QStandardPaths>

namespace veloquill::test {

namespace {
constexpr int kStartTimeoutMs = 15000;

// A small dark panel at the top right: a tray icon must stay readable on a dark panel.
const QStringList kPanelArguments =
    QStringLiteral("--edge top --align right --widthtype pixel --width 120 --height 28 "
                   "--expand false --transparent true --alpha 0 --tint 0x303030")
        .split(QLatin1Char(' '));
} // namespace

QStringList DesktopSession::missingPrograms()
{
    QStringList missing;
    for (const QString& program : {QStringLiteral("openbox"), QStringLiteral("trayer")}) {
        if (QStandardPaths::findExecutable(program).isEmpty())
            missing.append(program);
    }
    return missing;
}

DesktopSession::DesktopSession(const QString& displayName, ScreenRobot& robot)
    : m_displayName(displayName)
{
    start(m_windowManager, QStringLiteral("openbox"), {});
    if (!waitUntil([&] { return robot.windowManagerManagesNewWindows(); }, kStartTimeoutMs)) {
        m_failure = QStringLiteral("openbox did not take over the screen") +
                    report(m_windowManager, QStringLiteral("openbox"));
        return;
    }
    // Only after the window manager, which places the panel as a dock.
    start(m_panel, QStringLiteral("trayer"), kPanelArguments);
    if (!waitUntil([&] { return robot.hasTrayHost() && robot.trayPanel().has_value(); },
                   kStartTimeoutMs))
        m_failure = QStringLiteral("trayer did not put up its panel") +
                    report(m_panel, QStringLiteral("trayer"));
}

DesktopSession::~DesktopSession()
{
    stop(m_panel);
    stop(m_windowManager);
}

void DesktopSession::start(QProcess& process, const QString& program, const QStringList& arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_displayName);
    // Nothing read from or written to the real user's files.
    environment.insert(QStringLiteral("HOME"), m_home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path() + "/config");
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), m_home.path() + "/cache");
    environment.insert(QStringLiteral("XDG_DATA_HOME"), m_home.path() + "/data");
    process.setProcessEnvironment(environment);
    // Kept to say why, should the program not come up.
    process.setStandardOutputFile(logPath(program));
    process.setStandardErrorFile(logPath(program), QIODevice::Append);
    process.start(program, arguments);
}

QString DesktopSession::logPath(const QString& program) const
{
    return m_home.path() + QLatin1Char('/') + program + QStringLiteral(".log");
}

QString DesktopSession::report(const QProcess& process, const QString& program) const
{
    QFile log(logPath(program));
    log.open(QIODevice::ReadOnly);
    const QString state = process.state() == QProcess::NotRunning
                              ? QStringLiteral("it ended with status %1").arg(process.exitCode())
                              : QStringLiteral("it is still running");
    return QStringLiteral("; ") + state + QStringLiteral(", its output:\n") +
           QString::fromLocal8Bit(log.readAll());
}

void DesktopSession::stop(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000))
        process.kill();
    process.waitForFinished();
}

} // namespace veloquill::test
