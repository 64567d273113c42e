// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QWidget>

class QCheckBox;
class QGraphicsOpacityEffect;
class QLabel;
class QLayout;
class QLineEdit;
class QScrollArea;

namespace veloquill {

class DevicePicker;
class KeepOrGoBack;
class KeepOrGoBackBar;
class PointerControlsForm;
class PointerDeviceManager;
class VeloquillPointerSettingsState;

// The working surface of the settings window: the detected devices to choose from, the
// auto-switch options (whether a device whose name matches the preferred name is selected when it
// arrives, and that name, greyed out and closed to editing while auto-switch is off), and the
// selected device's speed and acceleration. It holds no
// pointer logic: every control writes straight to the settings state and shows each of its
// changes, and the device area follows the manager's list. Shown, it puts the keyboard on
// the selected device's row. The device list takes the height of its rows, so that up to
// kDevicesShownWhole devices and the auto-switch options are all in view at once; only a longer
// list scrolls, inside its own section.
class PointerControlView : public QWidget
{
    Q_OBJECT

public:
    // How long after being put on screen the view makes sure a device is selected and loaded.
    static constexpr int kAppearanceDelayMs = 50;
    static constexpr int kDevicesShownWhole = 5;
    static constexpr qreal kDisabledOpacity = 0.5;

    // With a keep-or-go-back model, its question is asked above the controls.
    PointerControlView(VeloquillPointerSettingsState& state, PointerDeviceManager& manager,
                       KeepOrGoBack* keepOrGoBack = nullptr, QWidget* parent = nullptr);

    // Shown instead of the device list and the auto-switch options while no device is listed.
    QLabel* noDevicesMessage() const { return m_noDevices; }
    DevicePicker* devicePicker() const { return m_picker; }
    QScrollArea* pickerArea() const { return m_pickerArea; }
    QCheckBox* autoSwitchToggle() const { return m_autoSwitchToggle; }
    QWidget* preferredNameRow() const { return m_nameRow; }
    QLineEdit* preferredNameField() const { return m_nameField; }
    PointerControlsForm* controlsForm() const { return m_controls; }
    // Null without a keep-or-go-back model.
    KeepOrGoBackBar* keepOrGoBackBar() const { return m_keepOrGoBack; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showDeviceArea();
    void fitPickerArea();
    // The auto-switch switch over the preferred name's row, bound to the state.
    QLayout* autoSwitchRows(VeloquillPointerSettingsState& state);
    void showAutoSwitch(bool enabled);
    void showPreferredName(const QString& name);
    void scheduleDeviceSelection();
    void revealKeepOrGoBack();

    VeloquillPointerSettingsState& m_state;
    PointerDeviceManager& m_manager;
    QLabel* m_noDevices = nullptr;
    QWidget* m_deviceArea = nullptr;
    DevicePicker* m_picker = nullptr;
    QScrollArea* m_pickerArea = nullptr;
    QCheckBox* m_autoSwitchToggle = nullptr;
    QWidget* m_nameRow = nullptr;
    QLineEdit* m_nameField = nullptr;
    QGraphicsOpacityEffect* m_nameRowOpacity = nullptr;
    PointerControlsForm* m_controls = nullptr;
    KeepOrGoBackBar* m_keepOrGoBack = nullptr;
    // The devices beside the controls (a wide screen) rather than above them.
    bool m_sideBySide = false;
};

} // namespace veloquill
