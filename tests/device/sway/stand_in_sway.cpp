// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stand_in_sway.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cstring>

namespace veloquill::test {

namespace {
constexpr quint32 kWorkspaceEvent = 0x80000000u, kInputEvent = 0x80000015u;

// Sway 1.7's parser: a line break ends a command whatever the quoting; otherwise commands end
// at ; or , and words at blanks outside quotes. Unescaped quotes go, backslashes stay (one
// escapes the next character), then "$$" gives "$" but after a lone backslash.
std::vector<QStringList> parseCommands(const QString& text)
{
    std::vector<QStringList> commands(1);
    QString word;
    bool inWord = false, inDouble = false, inSingle = false, escaped = false;
    const auto endWord = [&] {
        for (qsizetype i = word.indexOf('$'); i >= 0; i = word.indexOf('$', i + 1)) {
            const bool skipped = i > 0 && word[i - 1] == '\\' && (i == 1 || word[i - 2] != '\\');
            if (!skipped && word.mid(i + 1, 1) == "$")
                word.remove(i, 1);
        }
        if (inWord)
            commands.back().append(word);
        word.clear();
        inWord = inDouble = inSingle = false;
    };
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const QChar c = i < text.size() ? text.at(i) : QChar('\n');
        const bool quoted = inDouble || inSingle;
        if (c == '"' && !inSingle && !escaped)
            inDouble = !inDouble, inWord = true;
        else if (c == '\'' && !inDouble && !escaped)
            inSingle = !inSingle, inWord = true;
        else if (c == '\n' || (!quoted && !escaped && (c.isSpace() || c == ';' || c == ','))) {
            endWord();
            if (!c.isSpace() || c == '\n')
                commands.emplace_back();
        } else
            word += c, inWord = true;
        escaped = c == '\\' && !escaped;
    }
    std::erase_if(commands, [](const QStringList& words) { return words.isEmpty(); });
    return commands;
}

void send(QLocalSocket* socket, quint32 type, const QJsonDocument& json)
{
    const QByteArray payload = json.toJson(QJsonDocument::Compact);
    const quint32 length = payload.size();
    socket->write("i3-ipc" + QByteArray(reinterpret_cast<const char*>(&length), 4) +
                  QByteArray(reinterpret_cast<const char*>(&type), 4) + payload);
}
} // namespace

StandInSway::StandInSway()
{
    m_server.listen(socketPath());
    QObject::connect(&m_server, &QLocalServer::newConnection, [this] {
        QLocalSocket* socket = m_server.nextPendingConnection();
        QObject::connect(socket, &QLocalSocket::readyRead, [this, socket] { read(socket); });
        QObject::connect(socket, &QLocalSocket::disconnected,
                         [this, socket] { std::erase(m_subscribers, socket); });
    });
}

void StandInSway::addDevice(const QString& name, int vendor, int product, double speed,
                            const QString& profile, const QString& type)
{
    const QString identifier = QString("%1:%2:%3").arg(vendor).arg(product).arg(name);
    const QJsonObject device{
        {"identifier", QString(identifier).replace(' ', '_')},
        {"name", name},
        {"vendor", vendor},
        {"product", product},
        {"type", type},
        {"libinput", QJsonObject{{"accel_speed", speed}, {"accel_profile", profile}}}};
    m_configured.push_back(device);
    m_devices.push_back(device);
    emitEvent(kInputEvent, {{"change", "added"}, {"input", device}});
}

void StandInSway::removeDevice(const QString& identifier)
{
    emitEvent(kInputEvent, {{"change", "removed"}, {"input", device(identifier)}});
    std::erase_if(m_devices, [&](const QJsonObject& d) { return d["identifier"] == identifier; });
}

void StandInSway::set(const QString& identifier, const QString& key, const QJsonValue& value)
{
    for (QJsonObject& device : m_devices) {
        if (device["identifier"] == identifier) {
            QJsonObject libinput = device["libinput"].toObject();
            libinput[key] = value;
            device["libinput"] = libinput;
            emitEvent(kInputEvent, {{"change", "libinput_config"}, {"input", device}});
        }
    }
}

void StandInSway::reload()
{
    m_devices = m_configured;
    emitEvent(kWorkspaceEvent, {{"change", "reload"}});
}

QJsonObject StandInSway::device(const QString& identifier) const
{
    const auto found = std::find_if(m_devices.begin(), m_devices.end(), [&](const QJsonObject& d) {
        return d["identifier"] == identifier;
    });
    return found == m_devices.end() ? QJsonObject() : *found;
}

void StandInSway::emitEvent(quint32 type, const QJsonObject& event)
{
    for (QLocalSocket* socket : m_subscribers)
        send(socket, type, QJsonDocument(event));
}

void StandInSway::read(QLocalSocket* socket)
{
    quint32 length = 0, type = 0;
    while (socket->bytesAvailable() >= 14) {
        const QByteArray header = socket->peek(14);
        std::memcpy(&length, header.constData() + 6, 4);
        std::memcpy(&type, header.constData() + 10, 4);
        if (!header.startsWith("i3-ipc") || socket->bytesAvailable() < 14 + length)
            return;
        socket->skip(14);
        const QByteArray payload = socket->read(length);
        QJsonArray replies;
        if (type == 2)
            m_subscribers.push_back(socket);
        if (type == 100) {
            for (const QJsonObject& device : m_devices)
                replies.append(device);
            replies.append(QJsonObject{{"identifier", "1:1:Keys"}, {"type", "keyboard"}});
        }
        for (const QStringList& words : parseCommands(type == 0 ? QString(payload) : QString()))
            replies.append(run(words));
        send(socket, type,
             type == 2 ? QJsonDocument(QJsonObject{{"success", true}}) : QJsonDocument(replies));
    }
}

QJsonObject StandInSway::run(const QStringList& words)
{
    const bool known = words.size() == 4 && words[0] == "input" &&
                       (words[2] == "pointer_accel" || words[2] == "accel_profile");
    if (!known)
        foreign.append(words.join(' '));
    if (!known || words[2] == refuse)
        return {{"success", false}, {"error", "Invalid \"" + words.value(2) + "\"\nvalue"}};
    ran.append(words.join('|').mid(6));
    set(words[1], words[2] == "pointer_accel" ? "accel_speed" : "accel_profile",
        words[2] == "pointer_accel" ? QJsonValue(words[3].toDouble()) : QJsonValue(words[3]));
    return {{"success", true}};
}

} // namespace veloquill::test
