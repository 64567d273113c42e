// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace veloquill {

// Whether the program starts when the user logs in: an XDG autostart entry named after the
// app id, whose Exec runs this program: "veloquill" when the PATH finds this very program,
// its absolute path otherwise. The entry itself is the only state; every read asks the file
// system.
//
// Switching off removes the entry rather than writing Hidden=true. Hidden=true exists to mask
// a system-wide entry of the same name, and the program installs none; removing leaves
// nothing of ours behind in the user's autostart folder. An entry the desktop's own settings
// switched off with Hidden=true or X-GNOME-Autostart-enabled=false reads as off, and is
// replaced by a fresh one when switched on again.
//
// Each write is announced, in order: willChange(), the write, and the stream. The state
// announced after the write is the one read back from the file system, not the one asked for:
// a write that failed shows as no change.
//
// Used from the main thread; stream values always arrive on the main loop.
class StartAtLogin : public QObject
{
    Q_OBJECT

public:
    // The program's instance: VELOQUILL_APP_ID and the running executable. Made on first
    // use, lives for the whole process.
    static StartAtLogin& shared();

    // The entry "<appId>.desktop" starts the program at programPath when switched on.
    StartAtLogin(const QString& appId, QString programPath, QObject* parent = nullptr);
    ~StartAtLogin() override;

    bool isEnabled() const;
    // Writes or removes the entry and announces the state read back. Never throws; a failure
    // is logged as "Failed to enable launch at login: <why>" (or "disable") in "<app-id>.main".
    // Switching on while on writes the entry again, so it names the program's present path.
    void setEnabled(bool enabled);

    // The publisher: the receiver gets the current value first, then the state after every
    // later setEnabled, each on a later turn of the main loop. The current value is read when
    // the stream is first used and then only follows setEnabled: changes made outside the
    // program are not seen. Delivery stops when the context object goes.
    using Receiver = std::function<void(bool)>;
    void subscribe(QObject* context, Receiver receiver);

Q_SIGNALS:
    // Before every write: a view reads isEnabled again once the change is done (on a later
    // turn of the main loop), and so shows what the file system holds.
    void willChange();
    // The stream: after every write, with the state read back.
    void streamed(bool enabled);

private:
    const QString m_appId; // the entry is "<appId>.desktop"
    const QString m_programPath;
    // The stream's value, read when it is first used.
    std::optional<bool> m_streamed;
};

} // namespace veloquill
