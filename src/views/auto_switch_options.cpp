// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "views/auto_switch_options.h"

#include "settings/veloquill_pointer_settings_state.h"
#include "views/target_size.h"

#include <QCheckBox>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace veloquill {

namespace {
using State = VeloquillPointerSettingsState;
constexpr int kRowPadding = 4;
} // namespace

AutoSwitchOptions::AutoSwitchOptions(State& state, QWidget* parent) : QWidget(parent)
{
    m_toggle = new QCheckBox(tr("Auto-switch to preferred device when connected"));
    m_toggle->setMinimumHeight(kMinimumTargetSize);

    auto* label = new QLabel(tr("Preferred device name:"));
    m_nameField = new QLineEdit;
    m_nameField->setPlaceholderText(tr("Device name"));
    m_nameField->setAccessibleName(tr("Preferred device name"));
    m_nameField->setMinimumHeight(kMinimumTargetSize);
    label->setBuddy(m_nameField);
    m_nameRow = new QWidget;
    auto* rowLayout = new QHBoxLayout(m_nameRow);
    rowLayout->setContentsMargins(0, kRowPadding, 0, kRowPadding);
    rowLayout->addWidget(label);
    rowLayout->addWidget(m_nameField, 1);
    m_nameRowOpacity = new QGraphicsOpacityEffect(m_nameRow);
    m_nameRow->setGraphicsEffect(m_nameRowOpacity);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, kRowPadding, 0, 0);
    layout->setSpacing(2 * kRowPadding);
    layout->addWidget(m_toggle);
    layout->addWidget(m_nameRow);

    showAutoSwitch(state.autoSwitchToNewDevices());
    showPreferredName(state.preferredDeviceName());

    // clicked and textEdited come only from the user: showing the state's values never
    // writes them back.
    connect(m_toggle, &QCheckBox::clicked, &state, &State::setAutoSwitchToNewDevices);
    connect(&state, &State::autoSwitchToNewDevicesChanged, this,
            &AutoSwitchOptions::showAutoSwitch);
    connect(m_nameField, &QLineEdit::textEdited, &state, &State::setPreferredDeviceName);
    connect(&state, &State::preferredDeviceNameChanged, this,
            &AutoSwitchOptions::showPreferredName);
}

void AutoSwitchOptions::showAutoSwitch(bool enabled)
{
    m_toggle->setChecked(enabled);
    m_nameRow->setEnabled(enabled);
    m_nameRowOpacity->setOpacity(enabled ? 1.0 : kDisabledOpacity);
}

void AutoSwitchOptions::showPreferredName(const QString& name)
{
    // Replacing equal text would move the cursor to the end under the user's typing.
    if (m_nameField->text() != name)
        m_nameField->setText(name);
}

} // namespace veloquill
