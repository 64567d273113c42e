// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Sway's IPC (sway-ipc(7)): the i3-ipc framing, the commands this program sends, and one
// connection to the socket that $SWAYSOCK names, read on the main loop. Replies come back in
// the order the messages went; events (the type's high bit set) come between them.

#include <QByteArray>
#include <QJsonDocument>
#include <QLocalSocket>
#include <QObject>
#include <QString>

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>

namespace veloquill::sway {

inline const QString kLogPrefix = QStringLiteral("SwayHidEventSystem: ");

enum MessageType : std::uint32_t
{
    RunCommand = 0,
    Subscribe = 2,
    GetInputs = 100,
};
inline constexpr std::uint32_t kWorkspaceEvent = 0x80000000u;
inline constexpr std::uint32_t kInputEvent = 0x80000015u;

struct Message
{
    std::uint32_t type = 0;
    QByteArray payload;
};

// "i3-ipc", the payload's length and the type, both 32-bit in the host's byte order.
QByteArray frame(std::uint32_t type, const QByteArray& payload);
enum class Taken
{
    Message,
    Incomplete,
    Garbled // not the i3-ipc magic: the stream cannot be followed any further
};
// Takes one whole message off the front of `buffer`.
Taken takeMessage(QByteArray& buffer, Message& message);

// The identifier as one argument that Sway 1.7's command parser reads back exactly: in single
// quotes, any "'" in double quotes, "$" kept from variable expansion. Nothing for one that no
// quoting expresses (ending in an odd number of backslashes), that holds a control character
// (a line break ends a command whatever the quoting) or that is empty: such a device is never
// written.
std::optional<QString> quoted(const QString& identifier);
QString speedCommand(const QString& quotedIdentifier, double speed);
QString profileCommand(const QString& quotedIdentifier, bool flat);

class SwayConnection : public QObject
{
    Q_OBJECT

public:
    using Reply = std::function<void(const std::optional<QJsonDocument>&)>;
    using Event = std::function<void(std::uint32_t type, const QJsonDocument&)>;

    explicit SwayConnection(QString socketPath, QObject* parent = nullptr);
    ~SwayConnection() override;
    // Connects without waiting; `connected` or `lost` follows on the main loop.
    void open();
    bool isConnected() const { return m_socket.state() == QLocalSocket::ConnectedState; }
    // The reply runs on the main loop with the answer, or nothing should the connection end.
    void send(std::uint32_t type, const QByteArray& payload, Reply reply);
    void setEventHandler(Event handler) { m_event = std::move(handler); }

Q_SIGNALS:
    void connected();
    void lost();
    void replied();

private:
    void read();
    void fail();

    QString m_socketPath;
    QLocalSocket m_socket;
    QByteArray m_buffer;
    std::deque<Reply> m_replies;
    Event m_event;
};

} // namespace veloquill::sway
