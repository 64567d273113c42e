// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "device/pointer_curve.h"

#include <QWidget>

#include <array>
#include <optional>

namespace veloquill {

class VeloquillPointerSettingsState;

// Pointer speed against hand speed for the selected device with the values being edited,
// drawn from the functions that map them onto the device. It follows every slider step; it
// asks the device how the desktop accelerates it once per step, never per frame. Hidden while
// no device is selected or the desktop cannot say.
class PointerCurveView : public QWidget
{
    Q_OBJECT

public:
    // The hand speeds the accessible sentence names: a slow, careful motion and the end of the
    // axis, where every profile has reached its top.
    static constexpr double kSlowHandSpeed = 5.0;   // mm/s
    static constexpr double kFastHandSpeed = 100.0; // mm/s
    static constexpr int kSamples = 101;

    explicit PointerCurveView(VeloquillPointerSettingsState& state, QWidget* parent = nullptr);

    // Reads the selected device's model and the state's values again.
    void refresh();

    // The selected device's speed shapes its acceleration rather than scaling slow motion.
    bool speedShapesAcceleration() const { return m_model && m_model->speedShapesAcceleration; }

    // Its preferred size too, in a layout.
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    VeloquillPointerSettingsState& m_state;
    std::optional<PointerCurveModel> m_model;
    std::array<double, kSamples> m_gains{};
};

} // namespace veloquill
