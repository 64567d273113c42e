// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The HID event system of a desktop whose devices a session object lists and whose settings it
// journals (KWin, GNOME, Sway): the backend's entry point forwards to its session, and says once
// per absence why devices cannot be controlled. A backend adds only how its session is made.

#include "device/control_unavailable_reason.h"
#include "device/hid_event_system.h"
#include "device/service_directory.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace veloquill {

class DesktopSession : public ServiceDirectory
{
public:
    // Whether the desktop can be asked and written now.
    virtual bool reachable() const = 0;
    virtual std::size_t restoreUnlisted() = 0;
    virtual void forgetOriginals() = 0;
    virtual QStringList notPutBack() const = 0;
    virtual void prepareRestore() {}

protected:
    ~DesktopSession() = default;
};

class DesktopHidEventSystem : public HidEventSystem
{
public:
    std::unique_ptr<HidEventSystemClient> createClient() override;
    // `unreachable` while the session is not, with one log line per absence; asks nothing of
    // the desktop.
    ControlUnavailableReason controlUnavailableReason();
    bool canControlPointerDevices() override;
    std::size_t restoreUnlisted() override { return m_session->restoreUnlisted(); }
    void forgetOriginals() override { m_session->forgetOriginals(); }
    QStringList notPutBack() const override { return m_session->notPutBack(); }
    void prepareRestore() override { m_session->prepareRestore(); }
    // libinput has no amount of acceleration apart from the speed.
    bool supportsAccelerationAmount() const override { return false; }

protected:
    // `why` is the log line said when control is unavailable.
    DesktopHidEventSystem(std::shared_ptr<DesktopSession> session,
                          ControlUnavailableReason unreachable, QString why);

private:
    std::shared_ptr<DesktopSession> m_session;
    ControlUnavailableReason m_unreachable;
    QString m_why;
    bool m_saidCannotControl = false;
};

} // namespace veloquill
