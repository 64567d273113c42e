// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>

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
// Each write is announced before it (willChange()); what a view shows afterwards is read back
// from the file system, not the state asked for: a write that failed shows as no change.
//
// Used from the main thread.
class StartAtLogin : public QObject
{
    Q_OBJECT

public:
    // The program's instance: VELOQUILL_APP_ID and the running executable. Made on first
    // use, lives for the whole process.
    static StartAtLogin& shared();

    // The entry "<appId>.desktop" starts the program at programPath when switched on.
    StartAtLogin(const QString& appId, QString programPath, QObject* parent = nullptr);

    bool isEnabled() const;
    // Writes or removes the entry. Never throws; a failure
    // is logged as "Failed to enable launch at login: <why>" (or "disable") in "<app-id>.main".
    // Switching on while on writes the entry again, so it names the program's present path.
    void setEnabled(bool enabled);

Q_SIGNALS:
    // Before every write: a view reads isEnabled again once the change is done (on a later
    // turn of the main loop), and so shows what the file system holds.
    void willChange();

private:
    const QString m_appId; // the entry is "<appId>.desktop"
    const QString m_programPath;
};

} // namespace veloquill
