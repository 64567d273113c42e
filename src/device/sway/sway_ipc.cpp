// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/sway/sway_ipc.h"

#include "support/log.h"

#include <cstring>

namespace veloquill::sway {

namespace {
const QByteArray kMagic = QByteArrayLiteral("i3-ipc");
constexpr qsizetype kHeader = 14;
// Far above any input list; a length beyond it is a stream out of step.
constexpr std::uint32_t kMaxPayload = 64u << 20;
} // namespace

QByteArray frame(std::uint32_t type, const QByteArray& payload)
{
    const auto length = static_cast<std::uint32_t>(payload.size());
    QByteArray bytes = kMagic;
    bytes.append(reinterpret_cast<const char*>(&length), sizeof length);
    bytes.append(reinterpret_cast<const char*>(&type), sizeof type);
    return bytes + payload;
}

Taken takeMessage(QByteArray& buffer, Message& message)
{
    if (!kMagic.startsWith(buffer.left(kMagic.size())))
        return Taken::Garbled;
    if (buffer.size() < kHeader)
        return Taken::Incomplete;
    std::uint32_t length = 0;
    std::memcpy(&length, buffer.constData() + 6, sizeof length);
    if (length > kMaxPayload)
        return Taken::Garbled;
    if (buffer.size() < kHeader + length)
        return Taken::Incomplete;
    std::memcpy(&message.type, buffer.constData() + 10, sizeof message.type);
    message.payload = buffer.mid(kHeader, length);
    buffer.remove(0, kHeader + length);
    return Taken::Message;
}

std::optional<QString> quoted(const QString& identifier)
{
    const auto backslashesBefore = [&](qsizetype end) {
        qsizetype start = end;
        while (start > 0 && identifier.at(start - 1) == QLatin1Char('\\'))
            --start;
        return end - start;
    };
    // A backslash before the closing quote escapes it, whatever the quoting.
    if (identifier.isEmpty() || backslashesBefore(identifier.size()) % 2)
        return std::nullopt;
    // Sway strips the quotes, then replaces $variables: "$$" gives "$", and a "$" after one
    // backslash is left alone, backslash and all.
    QString text;
    for (qsizetype i = 0; i < identifier.size(); ++i) {
        const QChar c = identifier.at(i);
        // Control characters and line or paragraph separators: Sway reads commands by line.
        if (c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line ||
            c.category() == QChar::Separator_Paragraph)
            return std::nullopt;
        text += c;
        if (c == QLatin1Char('$') && backslashesBefore(i) != 1)
            text += c;
    }
    // In single quotes all is literal but "'" itself, which goes in double quotes with the
    // backslashes before it, so none of them ends a single-quoted part. Sway joins the parts.
    QString command;
    qsizetype literal = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text.at(i) != QLatin1Char('\''))
            continue;
        qsizetype end = i;
        while (end > literal && text.at(end - 1) == QLatin1Char('\\') && i < text.size())
            --end;
        if (end > literal)
            command += QLatin1Char('\'') + text.mid(literal, end - literal) + QLatin1Char('\'');
        if (i < text.size())
            command += QLatin1Char('"') + text.mid(end, i + 1 - end) + QLatin1Char('"');
        literal = i + 1;
    }
    return command;
}

QString speedCommand(const QString& quotedIdentifier, double speed)
{
    return QStringLiteral("input ") + quotedIdentifier + QStringLiteral(" pointer_accel ") +
           QString::number(speed, 'f', 6);
}

QString profileCommand(const QString& quotedIdentifier, bool flat)
{
    return QStringLiteral("input ") + quotedIdentifier + QStringLiteral(" accel_profile ") +
           (flat ? QStringLiteral("flat") : QStringLiteral("adaptive"));
}

SwayConnection::SwayConnection(QString socketPath, QObject* parent)
    : QObject(parent), m_socketPath(std::move(socketPath))
{
    connect(&m_socket, &QLocalSocket::connected, this, &SwayConnection::connected);
    connect(&m_socket, &QLocalSocket::readyRead, this, &SwayConnection::read);
    connect(&m_socket, &QLocalSocket::disconnected, this, &SwayConnection::fail);
    connect(&m_socket, &QLocalSocket::errorOccurred, this, [this] {
        if (m_socket.state() != QLocalSocket::ConnectedState)
            fail();
    });
}

SwayConnection::~SwayConnection()
{
    // The socket closes as it is destroyed, after the members its signals would use.
    disconnect(&m_socket, nullptr, this, nullptr);
}

void SwayConnection::open()
{
    m_socket.connectToServer(m_socketPath);
}

void SwayConnection::send(std::uint32_t type, const QByteArray& payload, Reply reply)
{
    if (!isConnected()) {
        reply(std::nullopt);
        return;
    }
    m_replies.push_back(std::move(reply));
    m_socket.write(frame(type, payload));
}

void SwayConnection::read()
{
    m_buffer += m_socket.readAll();
    Message message;
    for (;;) {
        const Taken taken = takeMessage(m_buffer, message);
        if (taken == Taken::Incomplete)
            return;
        if (taken == Taken::Garbled) {
            logLine(kLogPrefix + QStringLiteral("Sway's socket sent something that is not i3-ipc; "
                                                "closing it"));
            m_socket.abort();
            fail();
            return;
        }
        const QJsonDocument json = QJsonDocument::fromJson(message.payload);
        if (message.type & 0x80000000u) {
            if (m_event)
                m_event(message.type, json);
        } else if (!m_replies.empty()) {
            const Reply reply = std::move(m_replies.front());
            m_replies.pop_front();
            reply(json);
            Q_EMIT replied();
        }
        if (m_socket.state() != QLocalSocket::ConnectedState)
            return;
    }
}

void SwayConnection::fail()
{
    m_buffer.clear();
    auto replies = std::exchange(m_replies, {});
    for (const Reply& reply : replies)
        reply(std::nullopt);
    Q_EMIT lost();
}

} // namespace veloquill::sway
