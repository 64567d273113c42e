// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Precision mode: the selected device slowed by its precision factor, never stored.
#include "settings/veloquill_pointer_settings_state.h"

#include "device/pointer_ranges.h"
#include "settings/pointer_speed_mapping.h"
#include "support/log.h"
#include "support/number_format.h"

#include <algorithm>
#include <cmath>

namespace veloquill {

namespace {
const QString Prefix = QStringLiteral("VeloquillPointerSettingsState: [PRECISION] ");
} // namespace

void VeloquillPointerSettingsState::setPrecisionMode(bool on)
{
    if (on == m_precisionMode)
        return;
    m_precisionMode = on;
    logLine(Prefix + (on ? QStringLiteral("on") : QStringLiteral("off")));
    applyPrecision();
    Q_EMIT precisionModeChanged(on);
}

void VeloquillPointerSettingsState::setPrecisionFactor(double value)
{
    if (refuseNonFinite(QStringLiteral("precisionFactor"), value, m_currentPrecisionFactor))
        return;
    value =
        bounded(QStringLiteral("precisionFactor"), value, MinPrecisionFactor, MaxPrecisionFactor);
    if (value == m_currentPrecisionFactor)
        return;
    m_currentPrecisionFactor = value;
    Q_EMIT precisionFactorChanged(value);
    if (!m_isInitialized)
        return;
    updateSettingsForCurrentDevice();
    if (m_precisionMode)
        applyPrecision();
}

double VeloquillPointerSettingsState::precisionFactorInEffect() const
{
    const PointerDeviceRef device = selectedDevice();
    std::optional<double> base;
    if (m_selectedDeviceID && m_perDeviceSettings.contains(*m_selectedDeviceID))
        base = PointerSpeedMapping::forSpeed(m_currentPointerSpeed).systemResolution;
    else if (device && m_precisionMode && m_precisionDevice.lock() == device)
        base = m_precisionBaseResolution;
    else if (device)
        base = device->pointerResolution();
    if (!base || !(*base > 0))
        return m_currentPrecisionFactor;
    const double slowed = std::min(*base / m_currentPrecisionFactor, PointerRange::MaxResolution);
    return std::min(1.0, *base / slowed);
}

double VeloquillPointerSettingsState::resolutionToWrite(const PointerDeviceRef& device,
                                                        const DeviceSpecificSettings& values) const
{
    const double resolution = PointerSpeedMapping::forSpeed(values.pointerSpeed).systemResolution;
    if (!m_precisionMode || device != selectedDevice())
        return resolution;
    // A lower resolution moves the pointer farther, so slowing it means a higher one.
    return resolution / std::clamp(values.precisionFactor, MinPrecisionFactor, MaxPrecisionFactor);
}

void VeloquillPointerSettingsState::applyPrecision()
{
    const PointerDeviceRef device = m_isInitialized ? selectedDevice() : nullptr;
    if (!device)
        return;
    if (m_selectedDeviceID && m_perDeviceSettings.contains(*m_selectedDeviceID)) {
        m_precisionDevice.reset();
        m_precisionBaseResolution.reset();
        applySettings(device, currentValues());
        return;
    }
    // Without a record the device keeps what it has, only slowed; no record is made.
    if (m_precisionMode) {
        if (m_precisionDevice.lock() != device) {
            m_precisionDevice = device;
            m_precisionBaseResolution = device->pointerResolution();
        }
        if (m_precisionBaseResolution)
            device->setPointerResolution(*m_precisionBaseResolution / m_currentPrecisionFactor);
        return;
    }
    if (m_precisionDevice.lock() == device && m_precisionBaseResolution) {
        logLine(Prefix + QStringLiteral("giving back resolution ") +
                formatReal(*m_precisionBaseResolution));
        device->setPointerResolution(*m_precisionBaseResolution);
    }
    m_precisionDevice.reset();
    m_precisionBaseResolution.reset();
}

} // namespace veloquill
