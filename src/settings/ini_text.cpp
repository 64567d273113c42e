// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "settings/ini_text.h"

#include <algorithm>
#include <cstring>

namespace veloquill {

namespace {
bool plainKey(const QString& key)
{
    return !key.isEmpty() && std::all_of(key.cbegin(), key.cend(), [](QChar c) {
        const char16_t ch = c.unicode();
        return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
               ch == '_' || ch == '-' || ch == '.';
    });
}

bool isHexDigit(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// A hex escape as QSettings writes it: lower case, no leading zero.
template <typename Emit> void emitHexEscape(unsigned char c, Emit& emit)
{
    static constexpr char Hex[] = "0123456789abcdef";
    const char escape[4] = {'\\', 'x', c >= 16 ? Hex[c >> 4] : Hex[c], Hex[c & 15]};
    emit(escape, c >= 16 ? 4 : 3);
}

// Escaping can start afresh after a byte that leaves no hex escape pending, whatever came
// before it: neither a hex digit (escaped itself after a hex escape) nor one escaped in hex.
bool endsEscapeState(unsigned char c, bool data)
{
    return c != 0 && !isHexDigit(c) && c >= 0x07 && (c <= 0x0d || c >= 0x20) && (c < 0x7f || !data);
}

// Raw bytes between restart points of the escaped form of a data value.
constexpr qsizetype RestartSpacing = 4096;

// QSettings' escaping of a value's text, given as bytes: the UTF-8 of a text value, or the
// bytes inside "@ByteArray(...)", one byte per character, where bytes from 0x7f up are escaped
// rather than encoded. A hex escape escapes a hex digit after it too. Runs of bytes that need
// nothing go to `emit` whole; `restart` hears of places where escaping could start afresh.
template <typename Emit, typename Restart>
void escape(const char* const begin, const char* const end, bool data, Emit&& emit,
            Restart&& restart)
{
    bool escapeHexDigit = false;
    const auto plain = [data](unsigned char c) {
        return c >= 0x20 && c != '"' && c != '\\' && (c < 0x7f || !data);
    };
    const char* lastRestart = begin;
    for (const char* p = begin; p != end;) {
        if (p - lastRestart >= RestartSpacing &&
            endsEscapeState(static_cast<unsigned char>(p[-1]), data)) {
            restart(p);
            lastRestart = p;
        }
        const auto first = static_cast<unsigned char>(*p);
        if (plain(first) && !(escapeHexDigit && isHexDigit(first))) {
            const char* run = p;
            while (run != end && plain(static_cast<unsigned char>(*run)))
                ++run;
            emit(p, run - p);
            p = run;
            escapeHexDigit = false;
            continue;
        }
        const auto c = static_cast<unsigned char>(*p++);
        if (escapeHexDigit && isHexDigit(c)) {
            emitHexEscape(c, emit);
            continue;
        }
        escapeHexDigit = false;
        static constexpr char Named[] = "0abtnvfr";
        const char* named = nullptr;
        if (c == 0)
            named = Named;
        else if (c >= '\a' && c <= '\r')
            named = Named + (c - '\a' + 1);
        if (named || c == '"' || c == '\\') {
            const char escaped[2] = {'\\', named ? *named : char(c)};
            emit(escaped, 2);
            escapeHexDigit = c == 0;
        } else {
            emitHexEscape(c, emit);
            escapeHexDigit = true;
        }
    }
}

// Counted first, then written in place: a QByteArray appended to piece by piece spends more
// on each append than on the bytes. `restarts` gets the restart points, offsets counted from
// begin and from where the escaped bytes start in out.
void appendEscaped(QByteArray& out, const char* begin, const char* end, bool data,
                   std::vector<std::pair<qsizetype, qsizetype>>* restarts = nullptr)
{
    qsizetype size = 0;
    escape(
        begin, end, data, [&size](const char*, qsizetype n) { size += n; },
        [&](const char* at) {
            if (restarts)
                restarts->emplace_back(at - begin, size);
        });
    const qsizetype start = out.size();
    out.resize(start + size);
    char* write = out.data() + start;
    escape(
        begin, end, data,
        [&write](const char* bytes, qsizetype n) {
            std::memcpy(write, bytes, size_t(n));
            write += n;
        },
        [](const char*) {});
}

// How many bytes at the start (or, with fromEnd, at the end) of a and b are the same.
qsizetype commonLength(const QByteArray& a, const QByteArray& b, bool fromEnd)
{
    const qsizetype limit = std::min(a.size(), b.size());
    const auto at = [fromEnd, limit](const QByteArray& bytes, qsizetype i, qsizetype n) {
        return bytes.constData() + (fromEnd ? bytes.size() - i - n : i);
    };
    qsizetype same = 0;
    constexpr qsizetype Block = 256;
    while (same + Block <= limit && std::memcmp(at(a, same, Block), at(b, same, Block), Block) == 0)
        same += Block;
    while (same < limit && *at(a, same, 1) == *at(b, same, 1))
        ++same;
    return same;
}

// QSettings quotes a value holding ';', ',' or '=', or whose escaped text starts or ends with a
// space (which only a space itself escapes to).
bool needsQuotes(const QByteArray& text, bool data)
{
    const bool separator = text.contains(';') || text.contains(',') || text.contains('=');
    return separator || (!data && (text.startsWith(' ') || text.endsWith(' ')));
}
} // namespace

const QByteArray& IniText::escapedData(const QString& key, const QByteArray& raw)
{
    EscapedData& cached = m_data[key];
    if (cached.raw.isSharedWith(raw) || (!cached.raw.isNull() && cached.raw == raw))
        return cached.escaped;
    // Where the values differ: from the last restart point before the first difference to the
    // first one after the last difference; the rest of the escaped form is kept.
    const qsizetype prefix = commonLength(cached.raw, raw, false);
    const qsizetype suffix = std::min(commonLength(cached.raw, raw, true),
                                      std::min(cached.raw.size(), raw.size()) - prefix);
    std::pair<qsizetype, qsizetype> from = {0, 0};
    std::pair<qsizetype, qsizetype> to = {cached.raw.size(), cached.escaped.size()};
    auto firstKept = cached.restarts.end();
    if (!cached.raw.isNull()) {
        const auto after = std::upper_bound(cached.restarts.begin(), cached.restarts.end(),
                                            std::pair(prefix, qsizetype(-1)));
        if (after != cached.restarts.begin())
            from = *std::prev(after);
        // A restart point inside the common end, with a byte of it before the point.
        firstKept = std::upper_bound(after, cached.restarts.end(),
                                     std::pair(cached.raw.size() - suffix + 1, qsizetype(-1)));
        if (firstKept != cached.restarts.end())
            to = *firstKept;
    }
    const qsizetype shift = raw.size() - cached.raw.size();
    EscapedData next;
    next.raw = raw;
    next.restarts.assign(cached.restarts.begin(),
                         std::upper_bound(cached.restarts.begin(), cached.restarts.end(), from));
    next.escaped.reserve(cached.escaped.size() + (to.first + shift - from.first) * 2 + 16);
    next.escaped.append(cached.escaped.constData(), from.second);
    std::vector<std::pair<qsizetype, qsizetype>> middle;
    appendEscaped(next.escaped, raw.constData() + from.first, raw.constData() + to.first + shift,
                  true, &middle);
    for (const auto& [rawAt, escapedAt] : middle)
        next.restarts.emplace_back(from.first + rawAt, from.second + escapedAt);
    const qsizetype escapedShift = next.escaped.size() - to.second;
    if (to.first < cached.raw.size()) {
        next.restarts.emplace_back(to.first + shift, to.second + escapedShift);
        for (auto it = std::next(firstKept); it != cached.restarts.end(); ++it)
            next.restarts.emplace_back(it->first + shift, it->second + escapedShift);
    }
    next.escaped.append(cached.escaped.constData() + to.second, cached.escaped.size() - to.second);
    cached = std::move(next);
    return cached.escaped;
}

std::optional<QByteArray> IniText::text(const QHash<QString, QVariant>& values)
{
    QStringList keys;
    keys.reserve(values.size());
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const int type = it.value().typeId();
        if (!plainKey(it.key()) || (type != QMetaType::QString && type != QMetaType::QByteArray))
            return std::nullopt;
        keys.append(it.key());
    }
    // What no longer holds data is forgotten.
    m_data.removeIf([&values](const auto& cached) {
        return values.value(cached.key()).typeId() != QMetaType::QByteArray;
    });
    QByteArray out;
    if (keys.isEmpty())
        return out;
    std::sort(keys.begin(), keys.end());
    // Not reserved: a QByteArray that outgrows what was reserved grows by copying it all each
    // time, while one left to grow doubles.
    out += "[General]\n";
    for (const QString& key : std::as_const(keys)) {
        out += key.toLatin1();
        out += '=';
        const QVariant& value = values.find(key).value();
        const bool data = value.typeId() == QMetaType::QByteArray;
        const QByteArray text = data ? value.toByteArray() : value.toString().toUtf8();
        const bool quoted = needsQuotes(text, data);
        if (quoted)
            out += '"';
        if (data) {
            out += "@ByteArray(";
            out += escapedData(key, text);
            out += ')';
        } else {
            // Text starting with '@' gets another, so that it does not read as another kind.
            if (text.startsWith('@'))
                out += '@';
            appendEscaped(out, text.constData(), text.constData() + text.size(), false);
        }
        if (quoted)
            out += '"';
        out += '\n';
    }
    return out;
}

} // namespace veloquill
