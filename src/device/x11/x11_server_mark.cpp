// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/x11_server_mark.h"

#include "device/x11/x11_connection.h"

#include <QFile>
#include <QUuid>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <sys/socket.h>

namespace veloquill::x11 {

namespace {
constexpr const char* kServerIdProperty = "_VELOQUILL_SERVER";

// The process's start time in clock ticks after boot (field 22 of /proc/<pid>/stat); empty
// when the process is not there.
QString startTimeOf(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = stat.readAll();
    // The name in parentheses may hold spaces: the fields are counted after its end.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 1).simplified().split(' ');
    return fields.size() > 19 ? QString::fromLatin1(fields[19]) : QString();
}

QString rootMark(X11Connection& connection)
{
    Display* display = connection.display();
    const Atom atom = XInternAtom(display, kServerIdProperty, False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, bytesAfter = 0;
    unsigned char* data = nullptr;
    QString mark;
    if (XGetWindowProperty(display, DefaultRootWindow(display), atom, 0, 64, False, XA_STRING,
                           &type, &format, &count, &bytesAfter, &data) == Success &&
        type == XA_STRING && format == 8)
        mark = QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<int>(count));
    if (data)
        XFree(data);
    connection.afterReply();
    return mark;
}

// Whether the server a process mark names has ended: another boot, or its process gone
// while the system shows this server's (so it would show that one too).
bool processEnded(const QString& mark, bool processesShown)
{
    const QStringList parts = mark.split(QLatin1Char('/'));
    if (parts.size() != 3)
        return false;
    const QString boot = bootMark();
    if (boot != QStringLiteral("unknown") && parts[0] != boot)
        return true;
    bool valid = false;
    const qint64 pid = parts[1].toLongLong(&valid);
    return valid && pid > 1 && processesShown && startTimeOf(pid) != parts[2];
}
} // namespace

QString serverProcessMark(X11Connection& connection)
{
    ucred peer = {};
    socklen_t size = sizeof peer;
    const QString boot = bootMark();
    // Pid 0 is a peer in another namespace; 1 a listening socket the init system made.
    if (getsockopt(ConnectionNumber(connection.display()), SOL_SOCKET, SO_PEERCRED, &peer, &size) !=
            0 ||
        peer.pid <= 1 || boot == QStringLiteral("unknown"))
        return {};
    const QString start = startTimeOf(peer.pid);
    return start.isEmpty()
               ? QString()
               : boot + QLatin1Char('/') + QString::number(peer.pid) + QLatin1Char('/') + start;
}

QString claimServerMark(X11Connection& connection, const QString& wanted,
                        const QString& processMark)
{
    const QString found = rootMark(connection);
    QString id = wanted.section(QLatin1Char(' '), 0, 0);
    if (id.isEmpty())
        id = found.isEmpty() ? QUuid::createUuid().toString(QUuid::WithoutBraces) : found;
    if (found != id) {
        // Gone or replaced by another client while this program runs: put back.
        Display* display = connection.display();
        const QByteArray bytes = id.toLatin1();
        XChangeProperty(display, DefaultRootWindow(display),
                        XInternAtom(display, kServerIdProperty, False), XA_STRING, 8,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(bytes.constData()),
                        static_cast<int>(bytes.size()));
        connection.sync();
    }
    return processMark.isEmpty() ? id : id + QLatin1Char(' ') + processMark;
}

JournalServer compareServerMark(X11Connection& connection, const QString& journalMark,
                                const QString& processMark)
{
    const QString id = journalMark.section(QLatin1Char(' '), 0, 0);
    const QString process = journalMark.section(QLatin1Char(' '), 1);
    const QString found = rootMark(connection);
    if (!id.isEmpty() && id == found)
        return JournalServer::Same;
    if (process.isEmpty())
        return JournalServer::Unknown;
    if (process == processMark)
        return found.isEmpty() ? JournalServer::Same : JournalServer::Unknown;
    return processEnded(process, !processMark.isEmpty()) ? JournalServer::Ended
                                                         : JournalServer::Unknown;
}

} // namespace veloquill::x11
