// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The state the Sway backend's objects share: the IPC connection, the inputs Sway lists and
// the clients that want to hear of them. Sway's input events become arrivals, removals and
// property changes; a config reload (a workspace event) resets every device, so each is
// listed afresh, its values then taken as first seen. Nothing is asked of Sway unless
// something happens, and nothing waits for it but the restore, for a bounded time.

#include "device/journaled_libinput_session.h"
#include "device/sway/sway_device.h"
#include "device/sway/sway_ipc.h"

#include <QJsonArray>
#include <QObject>

#include <chrono>
#include <memory>

namespace veloquill::sway {

class SwaySession : public QObject,
                    public JournaledLibinputSession<SwayDevice>,
                    public std::enable_shared_from_this<SwaySession>
{
    Q_OBJECT

public:
    SwaySession(const QString& socketPath, const QString& journalDirectory,
                std::chrono::milliseconds restoreLimit);
    ~SwaySession() override;
    void start();

    SwayConnection& connection() { return m_connection; }
    bool swayPresent() const { return m_connection.isConnected(); }
    bool reachable() const override { return swayPresent(); }
    std::size_t restoreUnlisted() override;
    // Lets a listing on its way arrive, within the restore deadline.
    void prepareRestore() override;

private:
    void connected();
    void lost();
    void list(bool reload);
    void listed(const QJsonArray& inputs, bool reload);
    void event(std::uint32_t type, const QJsonDocument& json);
    void add(const QJsonObject& input, bool adoptJournal);

    SwayConnection m_connection;
};

} // namespace veloquill::sway
