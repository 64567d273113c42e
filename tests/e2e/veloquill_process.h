#pragma once

#include "support/main_loop.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <csignal>
#include <string>

namespace veloquill::test {

inline const QString kStarted =
    "[AppDelegate] Called PointerDeviceManager.shared.startObservation()";

// The veloquill program on a test's display (none when empty), as in a user's session: the
// real windowing system, Qt's own look, no session bus (the tray icon docks by XEmbed). Its
// settings, single-instance socket and lock live in `home`: two programs given one home are
// two starts of one user's program.
class VeloquillProcess
{
public:
    VeloquillProcess(const QString& displayName, const QString& home,
                     const QStringList& arguments = {})
        : m_home(home)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "QT_QPA_PLATFORM", "QT_QPA_PLATFORMTHEME",
                                 "QT_STYLE_OVERRIDE", "DBUS_SESSION_BUS_ADDRESS"})
            environment.remove(name);
        if (!displayName.isEmpty())
            environment.insert("DISPLAY", displayName);
        environment.insert("XDG_CONFIG_HOME", home);
        environment.insert("XDG_RUNTIME_DIR", home);
        m_process.setProcessEnvironment(environment);
        m_process.start(VELOQUILL_BINARY, arguments);
        m_process.waitForStarted();
    }
    // A program still running leaves the way a logout would, restoring its devices.
    ~VeloquillProcess()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
    }

    qint64 pid() const { return m_process.processId(); }
    QProcess& process() { return m_process; }
    QString settingsFile() const { return m_home + "/Veloquill/Veloquill.conf"; }
    void signal(int signalNumber) { ::kill(static_cast<pid_t>(pid()), signalNumber); }

    QStringList output()
    {
        m_stdout += m_process.readAllStandardOutput();
        return QString::fromUtf8(m_stdout).split('\n', Qt::SkipEmptyParts);
    }
    bool waitForLine(const QString& line)
    {
        return runMainLoopUntil([&] { return output().contains(line); }, 15000);
    }
    bool waitForEnd()
    {
        return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(15000);
    }
    bool exitedCleanly()
    {
        return waitForEnd() && m_process.exitStatus() == QProcess::NormalExit &&
               m_process.exitCode() == 0;
    }
    // What the program was doing when something did not happen.
    std::string tail()
    {
        return QString("%1\n%2(state %3, exit code %4)")
            .arg(output().mid(qMax(0, output().size() - 25)).join('\n'),
                 QString::fromLocal8Bit(m_process.readAllStandardError()))
            .arg(m_process.state())
            .arg(m_process.exitCode())
            .toStdString();
    }

private:
    QString m_home;
    QProcess m_process;
    QByteArray m_stdout;
};

} // namespace veloquill::test
