// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;

namespace veloquill {

class ValueSliderRow;
class VeloquillPointerSettingsState;

// Precision mode for the selected device: its switch, which the form places beside the revert
// button, and, shown only while it is on, the factor's slider row, a line when the device
// cannot go as slow as the factor asks, and how to switch it with a key.
class PrecisionControls : public QWidget
{
    Q_OBJECT

public:
    explicit PrecisionControls(VeloquillPointerSettingsState& state, QWidget* parent = nullptr);

    QCheckBox* toggle() const { return m_toggle; }
    ValueSliderRow* factorRow() const { return m_factorRow; }
    // Shown while the slowest resolution stops the factor.
    QLabel* boundNote() const { return m_boundNote; }
    QLabel* shortcutNote() const { return m_shortcutNote; }

    void setControlsEnabled(bool enabled);

private:
    void showState();

    VeloquillPointerSettingsState& m_state;
    QCheckBox* m_toggle = nullptr;
    ValueSliderRow* m_factorRow = nullptr;
    QLabel* m_boundNote = nullptr;
    QLabel* m_shortcutNote = nullptr;
};

} // namespace veloquill
