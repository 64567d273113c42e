// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "login_item/start_at_login_toggle.h"

#include "login_item/start_at_login.h"

#include <QCheckBox>
#include <QHBoxLayout>

namespace veloquill {

StartAtLoginToggle::StartAtLoginToggle(QWidget* parent, StartAtLogin* startAtLogin)
    : QWidget(parent), m_startAtLogin(startAtLogin ? *startAtLogin : StartAtLogin::shared()),
      m_switch(new QCheckBox(tr("Start at login"), this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_switch);

    showState();
    connect(m_switch, &QCheckBox::clicked, this,
            [this](bool checked) { m_startAtLogin.setEnabled(checked); });
    // Read again once the change is done, not when it is announced.
    connect(&m_startAtLogin, &StartAtLogin::willChange, this, &StartAtLoginToggle::showState,
            Qt::QueuedConnection);
}

void StartAtLoginToggle::showState()
{
    m_switch->setChecked(m_startAtLogin.isEnabled());
}

} // namespace veloquill
