// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The backend of a desktop whose devices a session object lists and whose settings it
// journals (KWin, GNOME, Sway): the backend's entry point forwards to its session, and says once
// per absence why devices cannot be controlled. A backend adds only how its session is made.
// A watch holds the session alive; the session holds its watches weakly, so a watch destroyed
// inside one of its own callbacks is never called again.

#include "device/control_unavailable_reason.h"
#include "device/pointer_backend.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace veloquill {

// The callbacks of one watch.
struct SessionWatchState;

class DesktopSession
{
public:
    // Whether the desktop can be asked and written now.
    virtual bool reachable() const = 0;
    virtual std::size_t restoreUnlisted() = 0;
    virtual void forgetOriginals() = 0;
    virtual QStringList notPutBack() const = 0;
    virtual void prepareRestore() {}
    // The services present now, in the order they arrived.
    virtual std::vector<BackendDeviceRef> listedServices() const = 0;

    void attachWatch(const std::shared_ptr<SessionWatchState>& watch);

protected:
    ~DesktopSession() = default;
    // Tells the started watches that the device arrived.
    void announce(const BackendDeviceRef& service);

private:
    std::vector<std::weak_ptr<SessionWatchState>> m_watches;
};

// A session's services, in the order they arrived, each known by the name the desktop lists it
// under.
template <class Service> class ListingSession : public DesktopSession
{
public:
    std::vector<BackendDeviceRef> listedServices() const override
    {
        return {m_services.begin(), m_services.end()};
    }

protected:
    ~ListingSession() = default;
    std::shared_ptr<Service> find(const QString& name) const
    {
        const auto found = std::find_if(m_services.begin(), m_services.end(),
                                        [&](const auto& s) { return s->listedName() == name; });
        return found == m_services.end() ? nullptr : *found;
    }
    // Listed, and announced to the clients it matches.
    void add(const std::shared_ptr<Service>& service)
    {
        m_services.push_back(service);
        announce(service);
    }
    // Gone: each of its removal callbacks runs.
    void remove(const QString& name)
    {
        if (const auto service = find(name)) {
            std::erase(m_services, service);
            service->leave();
        }
    }
    void removeAll()
    {
        while (!m_services.empty())
            remove(m_services.front()->listedName());
    }

    std::vector<std::shared_ptr<Service>> m_services;
};

// Makes the session and starts it, for a backend's constructor.
template <class Session, class... Args> std::shared_ptr<Session> startSession(Args&&... args)
{
    auto session = std::make_shared<Session>(std::forward<Args>(args)...);
    session->start();
    return session;
}

class DesktopBackend : public PointerBackend
{
public:
    std::unique_ptr<DeviceWatch> watchDevices() override;
    // `unreachable` while the session is not, with one log line per absence; asks nothing of
    // the desktop.
    ControlUnavailableReason controlUnavailableReason() override;
    std::size_t restoreUnlisted() override { return m_session->restoreUnlisted(); }
    void forgetOriginals() override { m_session->forgetOriginals(); }
    QStringList notPutBack() const override { return m_session->notPutBack(); }
    void prepareRestore() override { m_session->prepareRestore(); }
    // libinput has no amount of acceleration apart from the speed.
    bool supportsAccelerationAmount() const override { return false; }

protected:
    // `why` is the log line said when control is unavailable.
    DesktopBackend(std::shared_ptr<DesktopSession> session, ControlUnavailableReason unreachable,
                   QString why);

private:
    std::shared_ptr<DesktopSession> m_session;
    ControlUnavailableReason m_unreachable;
    QString m_why;
    bool m_saidCannotControl = false;
};

} // namespace veloquill
