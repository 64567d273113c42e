// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "views/precision_controls.h"

#include "settings/veloquill_pointer_settings_state.h"
#include "views/help_texts.h"
#include "views/target_size.h"
#include "views/text_styles.h"
#include "views/value_slider_row.h"

#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>

namespace veloquill {

namespace {
using State = VeloquillPointerSettingsState;

constexpr BoundNumber kFactor{&State::precisionFactor, &State::setPrecisionFactor,
                              &State::precisionFactorChanged, &State::pointerSpeedFormatter};
constexpr ValueSliderRow::Range kFactorRange{State::MinPrecisionFactor, State::MaxPrecisionFactor,
                                             2, 0.01, 0.05};
} // namespace

PrecisionControls::PrecisionControls(State& state, QWidget* parent)
    : QWidget(parent), m_state(state)
{
    m_toggle = new QCheckBox(tr("Precision mode"), this);
    m_toggle->setMinimumHeight(kMinimumTargetSize);
    m_toggle->setToolTip(precisionFactorHelpText());
    m_factorRow = new ValueSliderRow(state, kFactor, kFactorRange, tr("Precision factor"),
                                     tr("(0.05–1)"), precisionFactorHelpText());
    m_boundNote = makeNote();
    m_shortcutNote = makeNote(
        tr("To switch it with a key anywhere, add a shortcut that runs \"veloquill --precision "
           "toggle\" in the desktop's keyboard shortcut settings."));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_factorRow);
    layout->addWidget(m_boundNote);
    layout->addWidget(m_shortcutNote);

    // clicked comes only from the user, so showing the state never writes it back.
    connect(m_toggle, &QCheckBox::clicked, &state, &State::setPrecisionMode);
    for (const auto changed : {&State::precisionFactorChanged, &State::currentPointerSpeedChanged})
        connect(&state, changed, this, &PrecisionControls::showState);
    connect(&state, &State::precisionModeChanged, this, &PrecisionControls::showState);
    connect(&state, &State::selectedDeviceIDChanged, this, &PrecisionControls::showState);
    showState();
}

void PrecisionControls::setControlsEnabled(bool enabled)
{
    m_toggle->setEnabled(enabled);
    m_factorRow->setControlsEnabled(enabled);
}

void PrecisionControls::showState()
{
    m_toggle->setChecked(m_state.precisionMode());
    // The factor matters only while precision mode is on; off, it takes no room.
    setVisible(m_state.precisionMode());
    const double factor = m_state.precisionFactor();
    const double inEffect = m_state.precisionFactorInEffect();
    const bool bounded = m_state.selectedDeviceID() && inEffect > factor + 1e-9;
    const DecimalFormatter& format = m_state.pointerSpeedFormatter();
    m_boundNote->setText(
        tr("The device cannot go slower than its slowest setting: in precision mode "
           "the pointer moves at %1× its speed instead of %2×.")
            .arg(format.toString(inEffect), format.toString(factor)));
    m_boundNote->setVisible(bounded);
    m_toggle->setAccessibleName(
        tr("Precision mode, %1× speed").arg(format.toString(bounded ? inEffect : factor)));
}

} // namespace veloquill
