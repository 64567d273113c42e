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
    if (!acceptsEdits())
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
    else if (const PrecisionBase* slowed = m_precisionMode ? precisionBaseOf(device) : nullptr)
        base = slowed->resolution;
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
    if (!m_precisionMode || device->stableID() != m_selectedDeviceID)
        return resolution;
    // A lower resolution moves the pointer farther, so slowing it means a higher one.
    return resolution / std::clamp(values.precisionFactor, MinPrecisionFactor, MaxPrecisionFactor);
}

const VeloquillPointerSettingsState::PrecisionBase*
VeloquillPointerSettingsState::precisionBaseOf(const PointerDeviceRef& device) const
{
    if (!device)
        return nullptr;
    const auto it = std::ranges::find_if(
        m_precisionBases, [&](const PrecisionBase& base) { return base.device.lock() == device; });
    return it == m_precisionBases.end() ? nullptr : &*it;
}

void VeloquillPointerSettingsState::applyPrecision()
{
    const std::vector<PointerDeviceRef> devices =
        acceptsEdits() ? selectedDevices() : std::vector<PointerDeviceRef>{};
    if (devices.empty())
        return;
    if (m_selectedDeviceID && m_perDeviceSettings.contains(*m_selectedDeviceID)) {
        m_precisionBases.clear();
        for (const PointerDeviceRef& device : devices)
            applySettings(device, currentValues());
        return;
    }
    // Without a record each device keeps what it has, only slowed; no record is made.
    if (m_precisionMode) {
        for (const PointerDeviceRef& device : devices) {
            const PrecisionBase* base = precisionBaseOf(device);
            if (!base)
                base = &m_precisionBases.emplace_back(device, device->pointerResolution());
            if (base->resolution) {
                noteWrite(device);
                device->setPointerResolution(*base->resolution / m_currentPrecisionFactor);
            }
        }
        return;
    }
    for (const PrecisionBase& base : m_precisionBases) {
        const PointerDeviceRef device = base.device.lock();
        if (!device || !base.resolution)
            continue;
        logLine(Prefix + QStringLiteral("giving back resolution ") + formatReal(*base.resolution));
        noteWrite(device);
        device->setPointerResolution(*base.resolution);
    }
    m_precisionBases.clear();
}

} // namespace veloquill
