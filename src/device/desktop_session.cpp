// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/desktop_session.h"

#include "device/hid_callback_list.h"
#include "support/log.h"

namespace veloquill {

struct SessionWatchState
{
    bool started = false;
    HidCallbackList<void(const BackendDeviceRef&)> addedCallbacks;
};

namespace {
class SessionWatch : public DeviceWatch
{
public:
    explicit SessionWatch(std::shared_ptr<DesktopSession> session)
        : m_session(std::move(session)), m_state(std::make_shared<SessionWatchState>())
    {
        m_session->attachWatch(m_state);
    }
    ~SessionWatch() override { m_state->started = false; } // stops a walk under way

    HidRegistration onDeviceAdded(BackendDeviceCallback callback) override
    {
        return m_state->addedCallbacks.add(std::move(callback));
    }
    void start() override { m_state->started = true; }
    void stop() override { m_state->started = false; }
    std::optional<std::vector<BackendDeviceRef>> devices() override
    {
        return m_session->listedServices();
    }

private:
    std::shared_ptr<DesktopSession> m_session;
    std::shared_ptr<SessionWatchState> m_state;
};
} // namespace

void DesktopSession::attachWatch(const std::shared_ptr<SessionWatchState>& watch)
{
    m_watches.push_back(watch);
}

void DesktopSession::announce(const BackendDeviceRef& service)
{
    std::erase_if(m_watches, [](const auto& watch) { return watch.expired(); });
    for (const auto& weakWatch : std::vector(m_watches)) {
        const auto watch = weakWatch.lock();
        if (watch && watch->started)
            watch->addedCallbacks.callWhile([&watch] { return watch->started; }, service);
    }
}

DesktopBackend::DesktopBackend(std::shared_ptr<DesktopSession> session,
                               ControlUnavailableReason unreachable, QString why)
    : m_session(std::move(session)), m_unreachable(unreachable), m_why(std::move(why))
{}

std::unique_ptr<DeviceWatch> DesktopBackend::watchDevices()
{
    return std::make_unique<SessionWatch>(m_session);
}

ControlUnavailableReason DesktopBackend::controlUnavailableReason()
{
    const bool reachable = m_session->reachable();
    // The settings window asks every second; say why once per absence.
    if (!reachable && !m_saidCannotControl)
        logLine(m_why);
    m_saidCannotControl = !reachable;
    return reachable ? ControlUnavailableReason::NoReason : m_unreachable;
}

} // namespace veloquill
