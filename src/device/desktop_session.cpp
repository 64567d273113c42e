// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/desktop_session.h"

#include "support/log.h"

namespace veloquill {

DesktopBackend::DesktopBackend(std::shared_ptr<DesktopSession> session,
                               ControlUnavailableReason unreachable, QString why)
    : m_session(std::move(session)), m_unreachable(unreachable), m_why(std::move(why))
{}

std::unique_ptr<DeviceWatch> DesktopBackend::watchDevices()
{
    return std::make_unique<ServiceDirectoryClient>(m_session);
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
