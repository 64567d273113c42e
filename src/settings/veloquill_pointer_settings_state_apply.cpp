// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Writing the edited values to the selected device, and going back to the defaults.
#include "settings/veloquill_pointer_settings_state.h"

#include "device/pointer_ranges.h"
#include "settings/pointer_speed_mapping.h"
#include "support/log.h"
#include "support/number_format.h"

#include <algorithm>
#include <cmath>

namespace veloquill {

namespace {
const QString Prefix = QStringLiteral("VeloquillPointerSettingsState: ");

} // namespace

void VeloquillPointerSettingsState::applyPointerSettings()
{
    if (!acceptsEdits()) {
        logLine(QStringLiteral("VeloquillPointerSettingsState.applyPointerSettings: Self not fully "
                               "initialized. Aborting."));
        return;
    }
    const std::vector<PointerDeviceRef> devices = selectedDevices();
    if (devices.empty()) {
        logLine(QStringLiteral("VeloquillPointerSettingsState.applyPointerSettings: No device "
                               "selected. Settings not applied."));
        return;
    }
    for (const PointerDeviceRef& device : devices)
        applySettings(device, currentValues());
}

void VeloquillPointerSettingsState::applySettings(const PointerDeviceRef& device,
                                                  const DeviceSpecificSettings& values)
{
    if (!wasApplied(device))
        m_appliedDevices.push_back(device);
    const QString name = device->name();
    WriteCheck check{
        device->pointerResolution(), device->pointerAcceleration(), {}, {}, noteWrite(device)};
    logLine(Prefix + QStringLiteral("[APPLY SETTINGS] Applying settings to device: ") + name +
            QStringLiteral(" (ID: ") + device->stableID() + QLatin1Char(')'));
    logLine(Prefix + QStringLiteral("[APPLY SETTINGS] Values to apply:"));
    logLine(QStringLiteral("  - Speed: ") + formatReal(values.pointerSpeed));
    logLine(QStringLiteral("  - Acceleration: ") + formatReal(values.pointerAcceleration));
    logLine(QStringLiteral("  - Disable Acceleration: ") +
            formatBool(values.pointerDisableAcceleration));

    // A value outside its slider's range was read from the device and not set since: the
    // device keeps what it has rather than getting the nearest value the slider can show.
    const auto outOfRange = [&](const QString& what, double value) {
        logLine(Prefix + QStringLiteral("[APPLY SKIP] ") + what + QStringLiteral(" ") +
                formatReal(value) +
                QStringLiteral(" is outside its range, as read from the device. Left as it is."));
    };
    QString speedApplied;
    if (values.pointerSpeed < MinPointerSpeed || values.pointerSpeed > MaxPointerSpeed) {
        outOfRange(QStringLiteral("Speed"), values.pointerSpeed);
    } else {
        // The speed reaches the device whether acceleration is on or off: switching
        // acceleration never changes the pointer's base speed by itself.
        const PointerSpeedMapping mapping = PointerSpeedMapping::forSpeed(values.pointerSpeed);
        // As the device takes it: slowed in precision mode, within what a device accepts.
        check.resolution = std::clamp(resolutionToWrite(device, values),
                                      PointerRange::MinResolution, PointerRange::MaxResolution);
        device->setPointerResolution(*check.resolution);
        speedApplied = Prefix + QStringLiteral("[APPLY SUCCESS] UI Speed (0-1): ") +
                       formatReal(values.pointerSpeed) + QStringLiteral(" -> NormInvRes: ") +
                       formatReal(mapping.normalizedInverseResolution) +
                       QStringLiteral(" -> SysRes: ") + formatReal(*check.resolution) +
                       QStringLiteral(". Applied to device.pointerResolution.");
    }

    if (values.pointerDisableAcceleration) {
        // Written twice on purpose.
        device->setPointerAcceleration(PointerRange::AccelerationOff);
        device->setPointerAcceleration(PointerRange::AccelerationOff);
        check.acceleration = PointerRange::AccelerationOff;
        logLine(Prefix +
                QStringLiteral("[APPLY SUCCESS] Pointer acceleration DISABLED for "
                               "device: ") +
                name);
        logLine(Prefix + QStringLiteral("[APPLY SUCCESS] Set device.pointerAcceleration to -1"));
        if (!speedApplied.isEmpty())
            logLine(speedApplied);
        scheduleReadBack(device, check, true);
        return;
    }

    const bool accelerationInRange = values.pointerAcceleration >= PointerRange::MinAcceleration &&
                                     values.pointerAcceleration <= PointerRange::MaxAcceleration;
    if (accelerationInRange) {
        device->setPointerAcceleration(values.pointerAcceleration);
        check.acceleration = values.pointerAcceleration;
    }
    logLine(Prefix + QStringLiteral("[APPLY SUCCESS] Pointer acceleration ENABLED for device: ") +
            name);
    if (!speedApplied.isEmpty())
        logLine(speedApplied);
    if (!accelerationInRange)
        outOfRange(QStringLiteral("Acceleration"), values.pointerAcceleration);
    logLine(Prefix + QStringLiteral("[APPLY SUCCESS] UI Accel (0-20): ") +
            formatReal(values.pointerAcceleration) +
            (accelerationInRange ? QStringLiteral(". Applied to device.pointerAcceleration.")
                                 : QStringLiteral(". Not applied.")));
    scheduleReadBack(device, check, false);
}

void VeloquillPointerSettingsState::revertPointerSpeed()
{
    const PointerDeviceRef device = acceptsEdits() ? selectedDevice() : nullptr;
    if (!device) {
        logLine(QStringLiteral("VeloquillPointerSettingsState.revertPointerSpeed: No device "
                               "selected or not initialized. Cannot revert settings."));
        return;
    }
    const QString stableID = device->stableID();
    logLine(QStringLiteral("Reverting UI settings to defaults for selected device: ") +
            device->name() + QStringLiteral(" (") + stableID + QLatin1Char(')'));

    // The desktop's own defaults for the device; the program's where it reports none.
    DeviceSpecificSettings defaults{DefaultPointerSpeed,
                                    DefaultPointerAcceleration,
                                    DefaultPointerDisableAcceleration,
                                    {},
                                    m_currentPrecisionFactor};
    const std::optional<double> resolution = device->defaultPointerResolution();
    const std::optional<double> acceleration = device->defaultPointerAcceleration();
    if (resolution && std::isfinite(PointerSpeedMapping::speedFor(*resolution)))
        defaults.pointerSpeed = PointerSpeedMapping::speedFor(*resolution);
    else
        logLine(QStringLiteral("The device reports no default speed; using ") +
                formatReal(DefaultPointerSpeed) + QLatin1Char('.'));
    if (acceleration == PointerRange::AccelerationOff)
        defaults.pointerDisableAcceleration = true;
    else if (acceleration && std::isfinite(*acceleration))
        defaults.pointerAcceleration = *acceleration;
    else
        logLine(QStringLiteral("The device reports no default acceleration; using ") +
                formatReal(DefaultPointerAcceleration) + QStringLiteral(", on."));

    // Every value is announced, changed or not.
    showValues(defaults, true);

    logLine(QStringLiteral("UI sliders reset to defaults. These defaults will be saved for ") +
            stableID + QStringLiteral(" and applied to the device."));
    updateSettingsForCurrentDevice();
    applyPointerSettings();
    Q_EMIT settingsReverted();
}

} // namespace veloquill
