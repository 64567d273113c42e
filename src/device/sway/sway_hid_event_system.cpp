// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/sway/sway_hid_event_system.h"

#include "device/sway/sway_session.h"
#include "support/log.h"

namespace veloquill {

SwayHidEventSystem::SwayHidEventSystem(SwayHidEventSystemOptions options)
    : m_session(std::make_shared<sway::SwaySession>(
          options.socketPath.isEmpty() ? qEnvironmentVariable("SWAYSOCK") : options.socketPath,
          options.journalDirectory, options.restoreLimit))
{
    m_session->start();
}

SwayHidEventSystem::~SwayHidEventSystem() = default;

std::unique_ptr<HidEventSystemClient> SwayHidEventSystem::createClient()
{
    return std::make_unique<ServiceDirectoryClient>(m_session);
}

ControlUnavailableReason SwayHidEventSystem::controlUnavailableReason()
{
    const bool present = m_session->swayPresent();
    if (!present && !m_saidCannotControl)
        logLine(
            sway::kLogPrefix +
            QStringLiteral("cannot control pointer devices: Sway's IPC socket does not answer"));
    m_saidCannotControl = !present;
    return present ? ControlUnavailableReason::NoReason : ControlUnavailableReason::SwayUnreachable;
}

bool SwayHidEventSystem::canControlPointerDevices()
{
    return controlUnavailableReason() == ControlUnavailableReason::NoReason;
}

std::size_t SwayHidEventSystem::restoreUnlisted()
{
    return m_session->restoreUnlisted();
}

void SwayHidEventSystem::forgetOriginals()
{
    m_session->forgetOriginals();
}

QStringList SwayHidEventSystem::notPutBack() const
{
    return m_session->notPutBack();
}

void SwayHidEventSystem::prepareRestore()
{
    m_session->prepareRestore();
}

} // namespace veloquill
