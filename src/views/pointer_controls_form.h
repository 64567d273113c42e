// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QWidget>

#include <optional>

class QAbstractAnimation;
class QBoxLayout;
class QCheckBox;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace veloquill {

class PointerCurveView;
class ValueSliderRow;
class VeloquillPointerSettingsState;

// Adds one group of a settings form to `form`: an optional header over a framed panel. Returns
// where the group's rows go, top to bottom.
QVBoxLayout* addFormSection(QBoxLayout* form, const QString& header = QString());

// The explanations behind the help buttons beside the sliders.
QString accelerationHelpText();
QString speedHelpText();
QString trackingSpeedHelpText();
QString precisionFactorHelpText();

// What the desktop's pointer settings can hold.
struct PointerDesktop
{
    // Without an amount of acceleration apart from the speed (KWin, GNOME), "Pointer
    // acceleration" is shown disabled with a line saying why.
    bool accelerationAmount = true;
    // One setting for every device of a kind (GNOME): a line says so.
    bool sharedByKind = false;
};

// The speed and acceleration controls of the selected device: the acceleration switch, the
// slider rows that fit it, and the revert button. With acceleration on, "Pointer
// acceleration" and "Pointer speed"; with it off, "Tracking speed" alone, which is the
// pointer speed under the name that fits a linear response (the acceleration stays as it
// is for when acceleration is switched on again). Precision mode's switch stands beside the revert
// button; shown only while it is on, the factor's slider row, a line when the device cannot go as
// slow as the factor asks, and how to switch it with a key follow. Flipping the
// switch slides one set of rows out and the other in; it never touches the values. While no device
// is selected the controls are closed, under a line that asks for a device.
class PointerControlsForm : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kSwapDurationMs = 180;

    explicit PointerControlsForm(VeloquillPointerSettingsState& state, PointerDesktop desktop = {},
                                 QWidget* parent = nullptr);

    QCheckBox* disableAccelerationToggle() const { return m_disableAcceleration; }
    ValueSliderRow* accelerationRow() const { return m_accelerationRow; }
    ValueSliderRow* speedRow() const { return m_speedRow; }
    ValueSliderRow* trackingSpeedRow() const { return m_trackingSpeedRow; }
    QPushButton* revertButton() const { return m_revert; }
    QCheckBox* precisionToggle() const { return m_precisionToggle; }
    // The factor's row and the two lines under it.
    QWidget* precisionRows() const { return m_precisionRows; }
    ValueSliderRow* precisionFactorRow() const { return m_factorRow; }
    // Shown while the slowest resolution stops the factor.
    QLabel* precisionBoundNote() const { return m_boundNote; }
    // Shown above the controls while no device is selected.
    QLabel* noDeviceNote() const { return m_noDeviceNote; }
    // The line under a disabled "Pointer acceleration", or null.
    QLabel* accelerationNote() const { return m_accelerationNote; }
    // The line saying that every device of a kind shares the settings, or null.
    QLabel* sharedNote() const { return m_sharedNote; }
    // The line under "Pointer speed" where the device's speed shapes its acceleration.
    QLabel* speedShapesNote() const { return m_speedShapesNote; }
    // What the selected device does not let be set, and the last write it refused; hidden,
    // with its room kept, while there is nothing to say.
    QLabel* deviceLimitsNote() const { return m_deviceLimitsNote; }

private:
    void showRowsFor(bool accelerationDisabled);
    void showSelection(const std::optional<QString>& selectedDeviceID);
    // Enables what the selected device lets be set and says why the rest is not.
    void showDeviceLimits();
    void showPrecision();
    void finishSwap();

    VeloquillPointerSettingsState& m_state;
    QLabel* m_noDeviceNote = nullptr;
    QLabel* m_sharedNote = nullptr;
    QLabel* m_deviceLimitsNote = nullptr;
    QCheckBox* m_disableAcceleration = nullptr;
    QWidget* m_acceleratedRows = nullptr;
    QWidget* m_linearRows = nullptr;
    ValueSliderRow* m_accelerationRow = nullptr;
    ValueSliderRow* m_speedRow = nullptr;
    ValueSliderRow* m_trackingSpeedRow = nullptr;
    QPushButton* m_revert = nullptr;
    PointerCurveView* m_curve = nullptr;
    QCheckBox* m_precisionToggle = nullptr;
    QWidget* m_precisionRows = nullptr;
    ValueSliderRow* m_factorRow = nullptr;
    QLabel* m_boundNote = nullptr;
    // Only where the desktop has no amount of acceleration, whose row then stays closed.
    QLabel* m_accelerationNote = nullptr;
    QLabel* m_speedShapesNote = nullptr;
    QAbstractAnimation* m_swap = nullptr;
    QWidget* m_outgoing = nullptr;
    // Set while the switch itself writes the state: only its changes are animated.
    bool m_toggledByUser = false;
};

} // namespace veloquill
