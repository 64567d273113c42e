#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace veloquill::test {

class ScreenRobot;

// A small desktop on a test's display, as a person's session would have: the openbox
// window manager and a trayer panel that docks tray icons. Both run with a home of their
// own and end with the session.
class DesktopSession
{
public:
    // Of the programs the session needs, those not installed.
    static QStringList missingPrograms();

    DesktopSession(const QString& displayName, ScreenRobot& robot);
    ~DesktopSession();
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

    // Both are up: the window manager announced itself and the panel owns the tray.
    bool isReady() const { return m_failure.isEmpty(); }
    QString failure() const { return m_failure; }

private:
    void start(QProcess& process, const QString& program, const QStringList& arguments);
    static void stop(QProcess& process);
    QString logPath(const QString& program) const;
    QString report(const QProcess& process, const QString& program) const;

    QString m_displayName;
    QTemporaryDir m_home;
    QProcess m_windowManager;
    QProcess m_panel;
    QString m_failure;
};

} // namespace veloquill::test
