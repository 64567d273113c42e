// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A stand-in Sway IPC server on a socket of its own, in the test's process: the i3-ipc
// framing, GET_INPUTS, SUBSCRIBE and its input and workspace events, and RUN_COMMAND parsed as
// Sway's command parser does (commands split at ; and , outside quotes, "…" with \" and \\).
// Only `input <identifier> pointer_accel|accel_profile <value>` runs; anything else is kept
// in foreign() and refused.

#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStringList>
#include <QTemporaryDir>

#include <vector>

namespace veloquill::test {

class StandInSway
{
public:
    StandInSway();
    QString socketPath() const { return m_dir.filePath(QStringLiteral("sway-ipc.sock")); }

    // Its identifier is made as Sway makes it: "vendor:product:name", spaces as "_".
    QJsonObject& addDevice(const QString& name, int vendor, int product, double speed = 0,
                           const QString& profile = QStringLiteral("adaptive"),
                           const QString& type = QStringLiteral("pointer"));
    void removeDevice(const QString& identifier);
    // Another program sets it.
    void set(const QString& identifier, const QString& key, const QJsonValue& value);
    // Every device back to its values when added, then the workspace "reload" event.
    void reload();

    QJsonObject device(const QString& identifier) const;
    // The commands run, as "<identifier>|<setting>|<value>".
    QStringList ran() const { return m_ran; }
    QStringList foreign() const { return m_foreign; }
    // Commands naming this setting are answered with success false.
    QString refuse;

private:
    void read(QLocalSocket* socket);
    QJsonObject runOne(const QStringList& words);
    void emitEvent(quint32 type, const QJsonObject& event);
    static void send(QLocalSocket* socket, quint32 type, const QByteArray& payload);

    QTemporaryDir m_dir;
    std::vector<QJsonObject> m_devices;
    std::vector<QJsonObject> m_configured;
    std::vector<QLocalSocket*> m_subscribers;
    QStringList m_ran;
    QStringList m_foreign;
    // Last, so it and its sockets go first.
    QLocalServer m_server;
};

} // namespace veloquill::test
