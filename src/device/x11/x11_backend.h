// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The pointer backend of an X11 session, through XInput 2.2: the slave pointer devices, their
// speed and acceleration mapped onto the driver properties (docs/x11-backend.md), the
// server's pointer control as the system-wide default acceleration. Its own X connection is
// read on the Qt main loop, so all callbacks arrive there.

#include "device/pointer_backend.h"

#include <QObject>
#include <QString>

#include <memory>

namespace veloquill {

namespace x11 {
class X11Session;
}

struct X11BackendOptions
{
    // The X display to use; empty means $DISPLAY.
    QString displayName;
    // List the XTEST devices the server makes for software input (and tests) too.
    bool includeVirtualDevices = false;
    // Where the originals of changed devices are kept against a crash; empty means
    // $XDG_RUNTIME_DIR.
    QString journalDirectory;
};

class X11Backend : public QObject, public PointerBackend
{
    Q_OBJECT

public:
    // Connects at once. Never fails: without a usable display isConnected() is false,
    // failureReason() says why, and watchDevices() gives null.
    explicit X11Backend(X11BackendOptions options = {}, QObject* parent = nullptr);
    ~X11Backend() override;

    // Why the display cannot be used, or empty when it can; usable before any Qt
    // application exists.
    static QString displayProblem(const QString& displayName);

    // Connected now: opened, and not lost since.
    bool isConnected() const;
    // Why the display could not be used, for instance: no X display (DISPLAY is not set).
    QString failureReason() const { return m_failureReason; }

    std::unique_ptr<DeviceWatch> watchDevices() override;
    // When it cannot control devices, logs one line saying why (again only when the reason
    // changes).
    ControlUnavailableReason controlUnavailableReason() override;
    // One pass: prepareRestore sends every listed device's restore writes and waits for the
    // server once; restoreFirstSeen then finishes each. The journal is rewritten once for the
    // whole restore, at the end of restoreUnlisted, which comes last.
    void prepareRestore() override;
    std::size_t restoreUnlisted() override;
    void forgetOriginals() override;
    QStringList notPutBack() const override;

Q_SIGNALS:
    // The X connection broke (the server ended or dropped us). Emitted once, on the main
    // loop; devices then read as nothing and writes do nothing. The program should end.
    void connectionLost();

private:
    void logCannotControl(const QString& why);

    std::shared_ptr<x11::X11Session> m_session;
    QString m_failureReason;
    ControlUnavailableReason m_openFailure = ControlUnavailableReason::NoReason;
    QString m_lastCannotControlReason;
};

} // namespace veloquill
