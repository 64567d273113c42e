#pragma once

#include "support/main_loop.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <csignal>
#include <string>

namespace veloquill::test {

// The veloquill program on a test's display (none when empty). Its settings, single-instance
// socket and lock live in `home`, so two programs given one home are two starts of one user's
// program. Its output is read line by line.
class VeloquillProcess
{
public:
    VeloquillProcess(const QString& displayName, const QString& home,
                     const QStringList& arguments = {})
        : m_home(home)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        if (!displayName.isEmpty())
            environment.insert("DISPLAY", displayName);
        environment.insert("XDG_CONFIG_HOME", home);
        environment.insert("XDG_RUNTIME_DIR", home);
        // The real windowing system and Qt's own look, as a user's session would have. No
        // session bus: the tray icon docks by XEmbed into the panel on that display.
        for (const char* name : {"QT_QPA_PLATFORM", "QT_QPA_PLATFORMTHEME", "QT_STYLE_OVERRIDE",
                                 "DBUS_SESSION_BUS_ADDRESS"})
            environment.remove(name);
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
        m_process.waitForFinished();
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
    bool waitForLine(const QString& line, int timeoutMs = 15000)
    {
        return runMainLoopUntil([&] { return output().contains(line); }, timeoutMs);
    }
    bool exitedCleanly(int timeoutMs = 15000)
    {
        return runMainLoopUntil([&] { return m_process.state() == QProcess::NotRunning; },
                                timeoutMs) &&
               m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }
    // The last lines and the exit status, to show what the program was doing when something
    // did not happen.
    std::string tail()
    {
        const QStringList lines = output();
        QString text = lines.mid(qMax(0, lines.size() - 25)).join('\n');
        if (m_process.state() == QProcess::NotRunning)
            text += QString("\n(veloquill ended: %1, status %2)")
                        .arg(m_process.exitStatus() == QProcess::CrashExit ? "crashed" : "exited")
                        .arg(m_process.exitCode());
        return (text + '\n' + QString::fromLocal8Bit(m_process.readAllStandardError()))
            .toStdString();
    }

private:
    QString m_home;
    QProcess m_process;
    QByteArray m_stdout;
};

inline const QString kStarted =
    "[AppDelegate] Called PointerDeviceManager.shared.startObservation()";

} // namespace veloquill::test
