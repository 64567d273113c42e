// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QWidget>

class QCheckBox;
class QGraphicsOpacityEffect;
class QLineEdit;

namespace veloquill {

class VeloquillPointerSettingsState;

// Whether a device whose name matches the preferred name is selected when it arrives, and
// that name. The name row is greyed out and closed to editing while auto-switch is off.
class AutoSwitchOptions : public QWidget
{
    Q_OBJECT

public:
    static constexpr qreal kDisabledOpacity = 0.5;

    explicit AutoSwitchOptions(VeloquillPointerSettingsState& state, QWidget* parent = nullptr);

    QCheckBox* autoSwitchToggle() const { return m_toggle; }
    QWidget* preferredNameRow() const { return m_nameRow; }
    QLineEdit* preferredNameField() const { return m_nameField; }

private:
    void showAutoSwitch(bool enabled);
    void showPreferredName(const QString& name);

    QCheckBox* m_toggle = nullptr;
    QWidget* m_nameRow = nullptr;
    QLineEdit* m_nameField = nullptr;
    QGraphicsOpacityEffect* m_nameRowOpacity = nullptr;
};

} // namespace veloquill
