// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A stand-in Sway IPC server in the test's process: the i3-ipc framing, GET_INPUTS, SUBSCRIBE
// with input and workspace events, and RUN_COMMAND parsed as Sway's parser does (split at ;
// and , outside quotes, "…" with \" and \\). Only `input <identifier> pointer_accel|
// accel_profile <value>` runs; anything else is kept in foreign() and refused.

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
    void addDevice(const QString& name, int vendor, int product, double speed = 0,
                   const QString& profile = "adaptive", const QString& type = "pointer");
    void removeDevice(const QString& identifier);
    // Another program sets it.
    void set(const QString& identifier, const QString& key, const QJsonValue& value);
    // Every device added back to its first values, then the workspace "reload" event.
    void reload();
    QJsonObject device(const QString& identifier) const;
    QJsonValue libinput(const QString& identifier, const QString& key) const
    {
        return device(identifier)["libinput"].toObject()[key];
    }
    // The commands run, as "<identifier>|<setting>|<value>", and those refused as unknown.
    QStringList ran, foreign;
    // Commands naming this setting are answered with success false.
    QString refuse;

private:
    void read(QLocalSocket* socket);
    QJsonObject run(const QStringList& words);
    void emitEvent(quint32 type, const QJsonObject& event);

    QTemporaryDir m_dir;
    std::vector<QJsonObject> m_devices, m_configured;
    std::vector<QLocalSocket*> m_subscribers;
    QLocalServer m_server; // last, so it and its sockets go first
};

} // namespace veloquill::test
