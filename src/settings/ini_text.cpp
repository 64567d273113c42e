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

// QSettings' escaping of a value's text, given as bytes: the UTF-8 of a text value, or the
// bytes inside "@ByteArray(...)", one byte per character, where bytes from 0x7f up are escaped
// rather than encoded. A hex escape escapes a hex digit after it too. Runs of bytes that need
// nothing go to `emit` whole.
template <typename Emit> void escape(const QByteArray& text, bool data, Emit&& emit)
{
    bool escapeHexDigit = false;
    const auto plain = [data](unsigned char c) {
        return c >= 0x20 && c != '"' && c != '\\' && (c < 0x7f || !data);
    };
    const char* const end = text.constData() + text.size();
    for (const char* p = text.constData(); p != end;) {
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
// on each append than on the bytes.
void appendEscaped(QByteArray& out, const QByteArray& text, bool data)
{
    qsizetype size = 0;
    escape(text, data, [&size](const char*, qsizetype n) { size += n; });
    const qsizetype start = out.size();
    out.resize(start + size);
    char* write = out.data() + start;
    escape(text, data, [&write](const char* bytes, qsizetype n) {
        std::memcpy(write, bytes, size_t(n));
        write += n;
    });
}

// QSettings quotes a value holding ';', ',' or '=', or whose escaped text starts or ends with a
// space (which only a space itself escapes to).
bool needsQuotes(const QByteArray& text, bool data)
{
    const bool separator = text.contains(';') || text.contains(',') || text.contains('=');
    return separator || (!data && (text.startsWith(' ') || text.endsWith(' ')));
}

void appendValue(QByteArray& out, const QVariant& value)
{
    const bool data = value.typeId() == QMetaType::QByteArray;
    const QByteArray text = data ? value.toByteArray() : value.toString().toUtf8();
    const bool quoted = needsQuotes(text, data);
    if (quoted)
        out += '"';
    // Text starting with '@' gets another, so that it does not read as a value of another kind.
    if (data)
        out += "@ByteArray(";
    else if (text.startsWith('@'))
        out += '@';
    appendEscaped(out, text, data);
    if (data)
        out += ')';
    if (quoted)
        out += '"';
}
} // namespace

std::optional<QByteArray> iniText(const QHash<QString, QVariant>& values)
{
    QStringList keys;
    keys.reserve(values.size());
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const int type = it.value().typeId();
        if (!plainKey(it.key()) || (type != QMetaType::QString && type != QMetaType::QByteArray))
            return std::nullopt;
        keys.append(it.key());
    }
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
        appendValue(out, values.find(key).value());
        out += '\n';
    }
    return out;
}

} // namespace veloquill
