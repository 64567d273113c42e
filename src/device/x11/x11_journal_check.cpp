// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/x11_session.h"

#include "device/x11/x11_connection.h"
#include "device/x11/x11_device_mapping.h"
#include "device/x11/x11_properties.h"

#include <QFile>
#include <QUuid>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <sys/socket.h>

namespace veloquill::x11 {

namespace {
// No pointer moves usefully at a matrix scale or velocity scaling beyond this.
constexpr double kLargestScale = 1e6;
constexpr int kLastServerProfile = 7;
constexpr std::size_t kMaxCustomPoints = 64; // libinput's own bound

std::vector<double> floatsOf(const QByteArray& bytes)
{
    std::vector<double> values(static_cast<std::size_t>(bytes.size()) / sizeof(float));
    for (std::size_t i = 0; i < values.size(); ++i) {
        float value;
        std::memcpy(&value, bytes.constData() + i * sizeof value, sizeof value);
        values[i] = value;
    }
    return values;
}

bool allFinite(const std::vector<double>& values, double limit)
{
    for (double value : values) {
        if (!std::isfinite(value) || std::abs(value) > limit)
            return false;
    }
    return !values.empty();
}

bool isUsableMatrix(const std::vector<double>& m)
{
    if (m.size() != 9 || !allFinite(m, kLargestScale))
        return false;
    const double determinant = m[0] * (m[4] * m[8] - m[5] * m[7]) -
                               m[1] * (m[3] * m[8] - m[5] * m[6]) +
                               m[2] * (m[3] * m[7] - m[4] * m[6]);
    return std::isfinite(determinant) && determinant != 0;
}

// Whether the bytes are a value the server could hold in that property.
bool isPossibleValue(const JournalProperty& property, const QByteArray& bytes, XAtom atom,
                     const X11Atoms& atoms)
{
    const bool isFloat = property.type == QLatin1String("FLOAT") && property.format == 32;
    const auto floats = floatsOf(bytes);
    if (atom == atoms.transformationMatrix)
        return isFloat && isUsableMatrix(floats);
    if (atom == atoms.libinputAccelSpeed)
        return isFloat && allFinite(floats, 1.0);
    if (atom == atoms.accelVelocityScaling || atom == atoms.accelConstantDeceleration ||
        atom == atoms.libinputAccelCustomStep)
        return isFloat && floats.size() == 1 && allFinite(floats, kLargestScale) && floats[0] > 0;
    if (atom == atoms.libinputAccelCustomPoints)
        return isFloat && floats.size() >= 2 && floats.size() <= kMaxCustomPoints &&
               allFinite(floats, kLargestScale) &&
               std::all_of(floats.begin(), floats.end(), [](double v) { return v >= 0; });
    const bool isInteger =
        property.type == QLatin1String("INTEGER") || property.type == QLatin1String("CARDINAL");
    if (atom == atoms.pointerFeedback) {
        // Numerator, denominator, threshold: the INT16s the protocol carries, a usable ratio.
        std::array<std::int32_t, 3> items{};
        if (!isInteger || property.format != 32 || bytes.size() != sizeof items)
            return false;
        std::memcpy(items.data(), bytes.constData(), sizeof items);
        return items[0] > 0 && items[1] > 0 && items[2] >= 0 &&
               std::all_of(items.begin(), items.end(), [](std::int32_t v) { return v <= 32767; });
    }
    if (atom == atoms.libinputAccelProfileEnabled) {
        // One profile chosen among at most a handful.
        int chosen = 0;
        for (char item : bytes) {
            if (item != 0 && item != 1)
                return false;
            chosen += item;
        }
        return isInteger && property.format == 8 && bytes.size() <= 8 && chosen == 1;
    }
    std::int32_t profile = 0;
    if (!isInteger || property.format != 32 || bytes.size() != sizeof profile)
        return false;
    std::memcpy(&profile, bytes.constData(), sizeof profile);
    return profile >= -1 && profile <= kLastServerProfile;
}
} // namespace

QString journalPropertyFault(const JournalProperty& property, const X11Atoms& atoms,
                             Display* display, const X11DeviceProperties* device)
{
    XAtom atom = None;
    for (XAtom candidate : rememberedProperties(atoms)) {
        if (atomName(display, candidate) == property.name)
            atom = candidate;
    }
    if (atom == None)
        return QStringLiteral("no property Veloquill writes");
    const auto now = device ? device->raw(atom) : std::nullopt;
    // Custom profile points are written in another number than the driver's own.
    const bool countMatters = atom != atoms.libinputAccelCustomPoints;
    if (device &&
        (!now || atomName(display, now->type) != property.type || now->format != property.format ||
         (countMatters && now->count != static_cast<std::size_t>(property.count))))
        return QStringLiteral("not the type, format and size the device has");
    if (!isPossibleValue(property, property.bytes, atom, atoms) ||
        (property.writtenState == JournalWritten::Value &&
         !isPossibleValue(property, property.written, atom, atoms)))
        return QStringLiteral("a value the X server never gives");
    return {};
}

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
