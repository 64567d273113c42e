// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>

namespace veloquill {

class StartAtLogin;

// What both object faces of StartAtLogin share: isEnabled read from and written to the service.
class StartAtLoginFace : public QObject
{
public:
    explicit StartAtLoginFace(StartAtLogin& startAtLogin);

    bool isEnabled() const;
    void setEnabled(bool enabled);

private:
    StartAtLogin& m_startAtLogin;
};

// The face for views: it stores nothing, and says only that isEnabled is about to change, so a
// view reads it again once the change is done (on a later turn of the main loop) and shows
// what the file system holds.
class StartAtLoginObservable : public StartAtLoginFace
{
    Q_OBJECT
    Q_PROPERTY(bool isEnabled READ isEnabled WRITE setEnabled)

public:
    using StartAtLoginFace::StartAtLoginFace;

Q_SIGNALS:
    void objectWillChange();
};

// isEnabled as a Qt property: readable, writable and notifying, for property bindings and for
// code that watches properties by name.
class StartAtLoginKvo : public StartAtLoginFace
{
    Q_OBJECT
    Q_PROPERTY(bool isEnabled READ isEnabled WRITE setEnabled NOTIFY isEnabledChanged)

public:
    using StartAtLoginFace::StartAtLoginFace;

Q_SIGNALS:
    void isEnabledWillChange();
    // After every write, with the state read back; also when it did not change.
    void isEnabledChanged(bool enabled);
};

} // namespace veloquill
