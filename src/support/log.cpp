// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/log.h"

#include <algorithm>
#include <cstdio>
#include <mutex>

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
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

LogRedirect setLogRedirect(LogRedirect redirect)
{
    std::lock_guard lock(logMutex());
    std::swap(redirectSlot(), redirect);
    return redirect;
}

} // namespace veloquill
