// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/gnome/gnome_hid_event_system.h"

#include "device/gnome/gnome_session.h"
#include "support/log.h"

namespace veloquill {

GnomeHidEventSystem::GnomeHidEventSystem(GnomeHidEventSystemOptions options)
    : m_session(std::make_shared<gnome::GnomeSession>(options.journalDirectory))
{
    m_session->start();
}

GnomeHidEventSystem::~GnomeHidEventSystem() = default;

std::unique_ptr<HidEventSystemClient> GnomeHidEventSystem::createClient()
{
    return std::make_unique<ServiceDirectoryClient>(m_session);
}

ControlUnavailableReason GnomeHidEventSystem::controlUnavailableReason()
{
    const bool available = m_session->available();
    // The settings window asks every second; say why once.
    if (!available && !m_saidCannotControl)
        logLine(gnome::kLogPrefix +
                QStringLiteral("cannot control pointer devices: GNOME's pointer settings "
                               "(org.gnome.desktop.peripherals) are not installed"));
    m_saidCannotControl = !available;
    return available ? ControlUnavailableReason::NoReason
                     : ControlUnavailableReason::GnomeSettingsMissing;
}

bool GnomeHidEventSystem::canControlPointerDevices()
{
    return controlUnavailableReason() == ControlUnavailableReason::NoReason;
}

std::size_t GnomeHidEventSystem::restoreUnlisted()
{
    return m_session->restoreUnlisted();
}

void GnomeHidEventSystem::forgetOriginals()
{
    m_session->forgetOriginals();
}

QStringList GnomeHidEventSystem::notPutBack() const
{
    return m_session->notPutBack();
}

} // namespace veloquill
