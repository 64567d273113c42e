// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stand_in_sway.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cstring>

namespace veloquill::test {

namespace {
constexpr quint32 kWorkspaceEvent = 0x80000000u;
constexpr quint32 kInputEvent = 0x80000015u;

// Sway's parser: commands end at ; or , outside quotes; words split at blanks outside quotes;
// in quotes, a backslash takes the next character as it is.
std::vector<QStringList> parseCommands(const QString& text)
{
    std::vector<QStringList> commands(1);
    QString word;
    bool inWord = false, inQuotes = false;
    const auto endWord = [&] {
        if (inWord)
            commands.back().append(word);
        word.clear();
        inWord = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (inQuotes) {
            if (c == QLatin1Char('\\') && i + 1 < text.size())
                word += text.at(++i);
            else if (c == QLatin1Char('"'))
                inQuotes = false;
            else
                word += c;
        } else if (c == QLatin1Char('"')) {
            inQuotes = inWord = true;
        } else if (c == QLatin1Char(';') || c == QLatin1Char(',') || c == QLatin1Char('\n')) {
            endWord();
            commands.emplace_back();
        } else if (c.isSpace()) {
            endWord();
        } else {
            word += c;
            inWord = true;
        }
    }
    endWord();
    std::erase_if(commands, [](const QStringList& words) { return words.isEmpty(); });
    return commands;
}
} // namespace

StandInSway::StandInSway()
{
    m_server.listen(socketPath());
    QObject::connect(&m_server, &QLocalServer::newConnection, [this] {
        while (QLocalSocket* socket = m_server.nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::readyRead, [this, socket] { read(socket); });
            QObject::connect(socket, &QLocalSocket::disconnected, [this, socket] {
                std::erase(m_subscribers, socket);
                socket->deleteLater();
            });
        }
    });
}

QJsonObject& StandInSway::addDevice(const QString& name, int vendor, int product, double speed,
                                    const QString& profile, const QString& type)
{
    QString identifier = QString::number(vendor) + QLatin1Char(':') + QString::number(product) +
                         QLatin1Char(':') + name;
    identifier.replace(QLatin1Char(' '), QLatin1Char('_'));
    const QJsonObject device{
        {"identifier", identifier},
        {"name", name},
        {"vendor", vendor},
        {"product", product},
        {"type", type},
        {"libinput", QJsonObject{{"accel_speed", speed}, {"accel_profile", profile}}}};
    m_configured.push_back(device);
    m_devices.push_back(device);
    emitEvent(kInputEvent, {{"change", "added"}, {"input", device}});
    return m_devices.back();
}

void StandInSway::removeDevice(const QString& identifier)
{
    for (auto it = m_devices.begin(); it != m_devices.end(); ++it) {
        if ((*it)["identifier"].toString() == identifier) {
            const QJsonObject device = *it;
            m_devices.erase(it);
            emitEvent(kInputEvent, {{"change", "removed"}, {"input", device}});
            return;
        }
    }
}

void StandInSway::set(const QString& identifier, const QString& key, const QJsonValue& value)
{
    for (QJsonObject& device : m_devices) {
        if (device["identifier"].toString() != identifier)
            continue;
        QJsonObject libinput = device["libinput"].toObject();
        libinput[key] = value;
        device["libinput"] = libinput;
        emitEvent(kInputEvent, {{"change", "libinput_config"}, {"input", device}});
    }
}

void StandInSway::reload()
{
    for (QJsonObject& device : m_devices)
        for (const QJsonObject& configured : m_configured)
            if (configured["identifier"] == device["identifier"])
                device = configured;
    emitEvent(kWorkspaceEvent, {{"change", "reload"}});
}

QJsonObject StandInSway::device(const QString& identifier) const
{
    for (const QJsonObject& device : m_devices)
        if (device["identifier"].toString() == identifier)
            return device;
    return {};
}

void StandInSway::send(QLocalSocket* socket, quint32 type, const QByteArray& payload)
{
    const quint32 length = payload.size();
    QByteArray bytes("i3-ipc");
    bytes.append(reinterpret_cast<const char*>(&length), 4);
    bytes.append(reinterpret_cast<const char*>(&type), 4);
    socket->write(bytes + payload);
}

void StandInSway::emitEvent(quint32 type, const QJsonObject& event)
{
    for (QLocalSocket* socket : m_subscribers)
        send(socket, type, QJsonDocument(event).toJson(QJsonDocument::Compact));
}

void StandInSway::read(QLocalSocket* socket)
{
    while (socket->bytesAvailable() >= 14) {
        const QByteArray header = socket->peek(14);
        quint32 length = 0, type = 0;
        std::memcpy(&length, header.constData() + 6, 4);
        std::memcpy(&type, header.constData() + 10, 4);
        if (!header.startsWith("i3-ipc")) {
            socket->abort();
            return;
        }
        if (socket->bytesAvailable() < 14 + length)
            return;
        socket->read(14);
        const QByteArray payload = socket->read(length);
        QJsonDocument reply;
        if (type == 100) {
            QJsonArray inputs;
            for (const QJsonObject& device : m_devices)
                inputs.append(device);
            inputs.append(QJsonObject{{"identifier", "1:1:Keys"}, {"type", "keyboard"}});
            reply.setArray(inputs);
        } else if (type == 2) {
            m_subscribers.push_back(socket);
            reply.setObject({{"success", true}});
        } else if (type == 0) {
            QJsonArray results;
            for (const QStringList& words : parseCommands(QString::fromUtf8(payload)))
                results.append(runOne(words));
            reply.setArray(results);
        }
        send(socket, type, reply.toJson(QJsonDocument::Compact));
    }
}

QJsonObject StandInSway::runOne(const QStringList& words)
{
    const bool known = words.size() == 4 && words[0] == "input" &&
                       (words[2] == "pointer_accel" || words[2] == "accel_profile");
    if (!known) {
        m_foreign.append(words.join(' '));
        return {{"success", false}, {"error", "Unknown/invalid command"}};
    }
    if (words[2] == refuse)
        return {{"success", false}, {"error", "Invalid \"" + words[2] + "\"\nvalue"}};
    m_ran.append(words[1] + '|' + words[2] + '|' + words[3]);
    if (words[2] == "pointer_accel")
        set(words[1], "accel_speed", words[3].toDouble());
    else
        set(words[1], "accel_profile", words[3]);
    return {{"success", true}};
}

} // namespace veloquill::test
