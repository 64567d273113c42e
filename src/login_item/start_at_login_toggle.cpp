// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "login_item/start_at_login_toggle.h"

#include "login_item/start_at_login.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>

namespace veloquill {

StartAtLoginToggle::StartAtLoginToggle(const LabelBuilder& makeLabel, QWidget* parent,
                                       StartAtLogin* startAtLogin)
    : StartAtLoginToggle(parent, startAtLogin, QString(), makeLabel())
{}

StartAtLoginToggle::StartAtLoginToggle(const char* translationKey, QWidget* parent,
                                       StartAtLogin* startAtLogin)
    : StartAtLoginToggle(parent, startAtLogin,
                         QCoreApplication::translate("StartAtLoginToggle", translationKey), nullptr)
{}

StartAtLoginToggle::StartAtLoginToggle(const QString& text, QWidget* parent,
                                       StartAtLogin* startAtLogin)
    : StartAtLoginToggle(parent, startAtLogin, text, nullptr)
{}

StartAtLoginToggle::StartAtLoginToggle(QWidget* parent, StartAtLogin* startAtLogin)
    : StartAtLoginToggle(parent, startAtLogin, tr("Start at login"), nullptr)
{}

StartAtLoginToggle::StartAtLoginToggle(QWidget* parent, StartAtLogin* startAtLogin,
                                       const QString& text, QWidget* labelWidget)
    : QWidget(parent), m_startAtLogin(startAtLogin ? *startAtLogin : StartAtLogin::shared()),
      m_switch(new QCheckBox(text, this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_switch);
    if (labelWidget) {
        layout->addWidget(labelWidget, 1);
        // A text label still names the box for screen readers and its mnemonic.
        if (auto* textLabel = qobject_cast<QLabel*>(labelWidget)) {
            textLabel->setBuddy(m_switch);
            m_switch->setAccessibleName(textLabel->text());
        }
    }

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
