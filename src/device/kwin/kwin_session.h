// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// KWin on the bus and the devices it lists: deviceAdded and deviceRemoved become arrivals and
// removals, KWin ending or restarting (its name changing owner) every device leaving and, with
// the new KWin, coming back. Nothing is asked of KWin unless something happens or someone asks.

#include "device/journaled_libinput_session.h"
#include "device/kwin/kwin_dbus.h"
#include "device/kwin/kwin_device.h"

#include <QObject>

#include <chrono>
#include <map>
#include <memory>
#include <optional>

class QDBusServiceWatcher;

namespace veloquill::kwin {

class KWinSession : public QObject,
                    public JournaledLibinputSession<KWinDevice>,
                    public std::enable_shared_from_this<KWinSession>
{
    Q_OBJECT

public:
    // An empty bus address means the session bus.
    KWinSession(const QString& busAddress, const QString& journalDirectory,
                std::chrono::milliseconds restoreLimit);
    ~KWinSession() override;
    void start();

    KWinCalls& calls() { return m_calls; }
    // KWin owns its name on the bus (as last told by the bus, without asking).
    bool reachable() const override { return m_kwinPresent; }
    // The journal's devices KWin does not list now keep their entries, with one line.
    std::size_t restoreUnlisted() override;
    // Lets devices KWin is still listing arrive, then sends every changed device's restore
    // writes at once, so that their answers are awaited together.
    void prepareRestore() override;

private Q_SLOTS:
    void deviceAdded(const QString& sysName);
    void deviceRemoved(const QString& sysName);
    void ownerChanged(const QString& name, const QString& oldOwner, const QString& newOwner);

private:
    void listDevices();

    KWinCalls m_calls;
    QDBusServiceWatcher* m_watcher = nullptr;
    bool m_kwinPresent = false;
    // Bumped when KWin goes: answers of an earlier KWin are dropped.
    std::uint64_t m_generation = 0;
    // Devices announced whose properties are on their way, by the call asking for them.
    std::map<QString, std::uint64_t> m_arriving;
    std::uint64_t m_nextArrival = 1;
};

} // namespace veloquill::kwin
