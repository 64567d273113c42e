// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "settings/ini_text.h"

#include <algorithm>

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

void appendHexEscape(QByteArray& out, unsigned char c)
{
    static constexpr char Hex[] = "0123456789abcdef";
    out += "\\x";
    if (c >= 16)
        out += Hex[c >> 4];
    out += Hex[c & 15];
}

// QSettings' escaping of a value's text, given as bytes: the UTF-8 of a text value, or the
// "@ByteArray(...)" form of data with one byte per character, where bytes from 0x7f up are
// escaped rather than encoded. A hex escape escapes a hex digit after it too, and a value
// holding ';', ',' or '=', or starting or ending with a space, is quoted.
void appendEscaped(QByteArray& out, const QByteArray& text, bool data)
{
    const qsizetype start = out.size();
    bool needsQuotes = false;
    bool escapeHexDigit = false;
    // Runs of bytes that need nothing are appended whole.
    const auto plain = [data](unsigned char c) {
        return c >= 0x20 && c != '"' && c != '\\' && c != ';' && c != ',' && c != '=' &&
               (c < 0x7f || !data);
    };
    const char* begin = text.constData();
    const char* const end = begin + text.size();
    for (const char* p = begin; p != end;) {
        const auto first = static_cast<unsigned char>(*p);
        if (plain(first) && !(escapeHexDigit && isHexDigit(first))) {
            const char* run = p;
            while (run != end && plain(static_cast<unsigned char>(*run)))
                ++run;
            out.append(p, run - p);
            p = run;
            escapeHexDigit = false;
            continue;
        }
        const auto c = static_cast<unsigned char>(*p++);
        needsQuotes = needsQuotes || c == ';' || c == ',' || c == '=';
        if (escapeHexDigit && isHexDigit(c)) {
            appendHexEscape(out, c);
            continue;
        }
        escapeHexDigit = false;
        switch (c) {
        case '\0':
            out += "\\0";
            escapeHexDigit = true;
            break;
        case '\a':
            out += "\\a";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\v':
            out += "\\v";
            break;
        case '"':
        case '\\':
            out += '\\';
            out += char(c);
            break;
        default:
            if (c < 0x20 || (c >= 0x7f && data)) {
                appendHexEscape(out, c);
                escapeHexDigit = true;
            } else {
                out += char(c);
            }
        }
    }
    if (needsQuotes || (start < out.size() && (out.at(start) == ' ' || out.back() == ' '))) {
        out.insert(start, '"');
        out += '"';
    }
}
} // namespace

std::optional<QByteArray> iniText(const QHash<QString, QVariant>& values)
{
    QStringList keys;
    keys.reserve(values.size());
    qsizetype size = 16;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const int type = it.value().typeId();
        if (!plainKey(it.key()) || (type != QMetaType::QString && type != QMetaType::QByteArray))
            return std::nullopt;
        keys.append(it.key());
        size += it.key().size() + 4 +
                (type == QMetaType::QByteArray ? it.value().toByteArray().size() * 11 / 10 + 16
                                               : it.value().toString().size() * 3);
    }
    QByteArray out;
    if (keys.isEmpty())
        return out;
    std::sort(keys.begin(), keys.end());
    out.reserve(size);
    out += "[General]\n";
    for (const QString& key : std::as_const(keys)) {
        const QVariant& value = values.find(key).value();
        out += key.toLatin1();
        out += '=';
        if (value.typeId() == QMetaType::QByteArray) {
            appendEscaped(out, "@ByteArray(" + value.toByteArray() + ')', true);
        } else {
            const QString text = value.toString();
            appendEscaped(out, (text.startsWith(QLatin1Char('@')) ? "@" : "") + text.toUtf8(),
                          false);
        }
        out += '\n';
    }
    return out;
}

} // namespace veloquill
