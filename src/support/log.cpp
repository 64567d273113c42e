// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/log.h"

#include "support/settings_file.h"

#include <QAbstractEventDispatcher>
#include <QByteArray>
#include <QCoreApplication>
#include <QPointer>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include <unistd.h>

namespace veloquill {

namespace {
std::mutex& logMutex()
{
    static std::mutex mutex;
    return mutex;
}

LogRedirect& redirectSlot()
{
    static LogRedirect redirect;
    return redirect;
}

// Lines of one event are written together when the main loop is about to wait (one write
// instead of one per line), and at exit; a line logged without a running main loop is written
// at once.
constexpr qsizetype FlushAtBytes = 64 * 1024;

// Never destroyed: a line logged while static objects are destroyed still finds it.
QByteArray& pendingBytes()
{
    static auto* pending = new QByteArray;
    return *pending;
}

void writePending()
{
    QByteArray& pending = pendingBytes();
    if (pending.isEmpty())
        return;
    std::fflush(stdout); // anything written through stdio goes first
    // Nowhere to write to (closed or full): the lines are dropped, as stdio would.
    (void)writeAll(::fileno(stdout), pending);
    pending.clear();
}

// True when a flush before the main loop waits is arranged for this thread's loop.
bool flushArranged()
{
    auto* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread() || app->thread()->loopLevel() == 0)
        return false;
    auto* dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher)
        return false;
    static QPointer<QAbstractEventDispatcher> connected;
    if (connected != dispatcher) {
        connected = dispatcher;
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, dispatcher,
                         [] { flushLogLines(); });
    }
    // Lines logged while the process ends (by exit handlers) are written at once.
    static bool exiting = false;
    static const bool atExit = std::atexit([] {
                                   exiting = true;
                                   flushLogLines();
                               }) == 0;
    return atExit && !exiting;
}

bool needsEscape(char16_t c)
{
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || c == 0x061c || c == 0x200e || c == 0x200f ||
           (c >= 0x2028 && c <= 0x202e) || (c >= 0x2066 && c <= 0x2069);
}
} // namespace

QString escapedForLog(const QString& text)
{
    if (std::none_of(text.begin(), text.end(), [](QChar c) { return needsEscape(c.unicode()); }))
        return text;
    QString escaped;
    escaped.reserve(text.size() + 8);
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (!needsEscape(u))
            escaped += c;
        else if (u == '\n')
            escaped += QLatin1String("\\n");
        else if (u == '\t')
            escaped += QLatin1String("\\t");
        else if (u == '\r')
            escaped += QLatin1String("\\r");
        else if (u < 0x100)
            escaped += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
        else
            escaped += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'));
    }
    return escaped;
}

void logLine(const QString& rawLine)
{
    // Names and stored values from outside the program are part of many lines: escaped here,
    // none of them can split a line, forge another or send the terminal a control sequence.
    const QString line = escapedForLog(rawLine);
    std::lock_guard lock(logMutex());
    if (const auto& redirect = redirectSlot()) {
        redirect(line);
        return;
    }
    QByteArray& pending = pendingBytes();
    pending += line.toUtf8();
    pending += '\n';
    if (!flushArranged() || pending.size() >= FlushAtBytes)
        writePending();
}

void flushLogLines()
{
    std::lock_guard lock(logMutex());
    writePending();
}

LogRedirect setLogRedirect(LogRedirect redirect)
{
    std::lock_guard lock(logMutex());
    std::swap(redirectSlot(), redirect);
    return redirect;
}

} // namespace veloquill
