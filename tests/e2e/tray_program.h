#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <string>

namespace veloquill::test {

// The veloquill program on a test's display, in a session of its own: its own settings
// folder and its own runtime folder (for its single-instance socket and lock), its output
// read line by line.
class TrayProgram
{
public:
    TrayProgram(const QString& binary, const QString& displayName);
    // A program still running leaves the way a logout would, restoring its devices.
    ~TrayProgram();
    TrayProgram(const TrayProgram&) = delete;
    TrayProgram& operator=(const TrayProgram&) = delete;

    qint64 pid() const { return m_process.processId(); }
    QString settingsFile() const;
    QProcess& process() { return m_process; }

    QStringList output();
    bool waitForLine(const QString& line, int timeoutMs = 15000);
    bool waitForExit(int timeoutMs = 15000);
    // The last lines and whether it has ended, to show what the program was doing when
    // something did not happen.
    std::string tail(int lines = 25);

private:
    QTemporaryDir m_configHome;
    QTemporaryDir m_runtimeDir;
    QProcess m_process;
    QByteArray m_stdout;
};

} // namespace veloquill::test
