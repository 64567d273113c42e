// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "login_item/start_at_login_faces.h"

#include "login_item/start_at_login.h"

namespace veloquill {

StartAtLoginFace::StartAtLoginFace(StartAtLogin& startAtLogin)
    : QObject(&startAtLogin), m_startAtLogin(startAtLogin)
{}

bool StartAtLoginFace::isEnabled() const
{
    return m_startAtLogin.isEnabled();
}

void StartAtLoginFace::setEnabled(bool enabled)
{
    m_startAtLogin.setEnabled(enabled);
}

} // namespace veloquill
