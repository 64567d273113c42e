#include "tray_program.h"

#include "wait_until.h"

#include <QProcessEnvironment>

#include <algorithm>

namespace veloquill::test {

TrayProgram::TrayProgram(const QString& binary, const QString& displayName)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), displayName);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_configHome.path());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtimeDir.path());
    // The real windowing system and Qt's own look, not a test platform or a theme.
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORMTHEME"));
    environment.remove(QStringLiteral("QT_STYLE_OVERRIDE"));
    // No session bus: the tray icon docks by XEmbed into the panel on this display.
    environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    m_process.setProcessEnvironment(environment);
    // Warnings and sanitizer reports show up in the test's own output.
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(binary, QStringList{});
    m_process.waitForStarted();
}

TrayProgram::~TrayProgram()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    // Before the display goes away.
    m_process.terminate();
    if (!m_process.waitForFinished(10000))
        m_process.kill();
    m_process.waitForFinished();
}

QString TrayProgram::settingsFile() const
{
    return m_configHome.path() + QStringLiteral("/Veloquill/Veloquill.conf");
}

QStringList TrayProgram::output()
{
    m_stdout += m_process.readAllStandardOutput();
    return QString::fromUtf8(m_stdout).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool TrayProgram::waitForLine(const QString& line, int timeoutMs)
{
    return waitUntil([&] { return output().contains(line); }, timeoutMs);
}

bool TrayProgram::waitForExit(int timeoutMs)
{
    return waitUntil([&] { return m_process.state() == QProcess::NotRunning; }, timeoutMs);
}

std::string TrayProgram::tail(int lines)
{
    const QStringList all = output();
    QString text = all.mid(std::max<qsizetype>(0, all.size() - lines)).join(QLatin1Char('\n'));
    if (m_process.state() == QProcess::NotRunning)
        text += QStringLiteral("\n(veloquill has ended: %1, status %2)")
                    .arg(m_process.exitStatus() == QProcess::CrashExit ? QStringLiteral("crashed")
                                                                       : QStringLiteral("exited"))
                    .arg(m_process.exitCode());
    return text.toStdString();
}

} // namespace veloquill::test
