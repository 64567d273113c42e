// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Writing the edited values to the selected devices, slowed in precision mode; reading them
// back to tell what a device refused; going back to the defaults.
#include "settings/veloquill_pointer_settings_state.h"

#include "device/pointer_device_manager.h"
#include "device/pointer_ranges.h"
#include "settings/pointer_speed_mapping.h"
#include "support/log.h"
#include "support/number_format.h"

#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>

namespace veloquill {

namespace {
const QString Prefix = QStringLiteral("VeloquillPointerSettingsState: ");
const QString PrecisionPrefix = QStringLiteral("VeloquillPointerSettingsState: [PRECISION] ");
constexpr double UnreadableMarker = -999.0;
constexpr std::chrono::milliseconds ConfirmationDelay{50};

// Equal but for the desktop's float or fixed-point storage.
bool same(double a, double b)
{
    return std::abs(a - b) <= 1e-4 * std::max({1.0, std::abs(a), std::abs(b)});
}

// The device still holds what it held before the write, and that is not what was written.
bool keptWhatItHad(std::optional<double> before, std::optional<double> written,
                   std::optional<double> after)
{
    return before && written && after && same(*before, *after) && !same(*after, *written);
}
} // namespace

bool VeloquillPointerSettingsState::holds(const std::vector<std::weak_ptr<PointerDevice>>& devices,
                                          const PointerDeviceRef& device)
{
    return std::ranges::any_of(devices, [&](const auto& held) { return held.lock() == device; });
}

void VeloquillPointerSettingsState::logValues(const DeviceSpecificSettings& values)
{
    logLine(QStringLiteral("  - Speed: ") + formatReal(values.pointerSpeed));
    logLine(QStringLiteral("  - Acceleration: ") + formatReal(values.pointerAcceleration));
    logLine(QStringLiteral("  - Disable Acceleration: ") +
            formatBool(values.pointerDisableAcceleration));
}

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
    if (!holds(m_appliedDevices, device))
        m_appliedDevices.push_back(device);
    const QString name = device->name();
    WriteCheck check{
        device->pointerResolution(), device->pointerAcceleration(), {}, {}, noteWrite(device)};
    logLine(Prefix + QStringLiteral("[APPLY SETTINGS] Applying settings to device: ") + name +
            QStringLiteral(" (ID: ") + device->stableID() + QLatin1Char(')'));
    logLine(Prefix + QStringLiteral("[APPLY SETTINGS] Values to apply:"));
    logValues(values);

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

void VeloquillPointerSettingsState::setPrecisionMode(bool on)
{
    if (on == m_precisionMode)
        return;
    m_precisionMode = on;
    logLine(PrecisionPrefix + (on ? QStringLiteral("on") : QStringLiteral("off")));
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
        logLine(PrecisionPrefix + QStringLiteral("giving back resolution ") +
                formatReal(*base.resolution));
        noteWrite(device);
        device->setPointerResolution(*base.resolution);
    }
    m_precisionBases.clear();
}

VeloquillPointerSettingsState::DeviceLimits
VeloquillPointerSettingsState::selectedDeviceLimits() const
{
    const PointerDeviceRef device = selectedDevice();
    if (!device)
        return {};
    return {device->pointerResolutionLocked(), device->pointerAccelerationLocked(),
            !holds(m_withoutAcceleration, device) && device->pointerAcceleration().has_value()};
}

std::uint64_t VeloquillPointerSettingsState::noteWrite(const PointerDeviceRef& device)
{
    return m_latestWrites[device.get()] = ++m_writeSerial;
}

void VeloquillPointerSettingsState::scheduleReadBack(const PointerDeviceRef& device,
                                                     const WriteCheck& check,
                                                     bool accelerationDisabled)
{
    // The device is kept alive and read whatever the selection, or the state, has become.
    QTimer::singleShot(ConfirmationDelay, [self = QPointer(this), device, check,
                                           accelerationDisabled] {
        const std::optional<double> acceleration = device->pointerAcceleration();
        const std::optional<double> resolution = device->pointerResolution();
        logLine(Prefix + QStringLiteral("[APPLY CONFIRM] Final device values (acceleration ") +
                (accelerationDisabled ? QStringLiteral("disabled") : QStringLiteral("enabled")) +
                QStringLiteral("): pointerAcceleration = ") +
                formatReal(acceleration.value_or(UnreadableMarker)) +
                QStringLiteral(", pointerResolution = ") +
                formatReal(resolution.value_or(UnreadableMarker)));
        if (self)
            self->checkReadBack(device, check, resolution, acceleration);
    });
}

void VeloquillPointerSettingsState::checkReadBack(const PointerDeviceRef& device,
                                                  const WriteCheck& check,
                                                  std::optional<double> resolution,
                                                  std::optional<double> acceleration)
{
    const auto latest = m_latestWrites.find(device.get());
    if (latest == m_latestWrites.end() || latest->second != check.serial)
        return; // a later write's read-back tells
    m_latestWrites.erase(latest);
    if (!acceptsEdits() || device != selectedDevice())
        return;
    // Where the desktop has no amount of acceleration, only on and off can be compared.
    const bool amounts = m_manager.supportsAccelerationAmount();
    const auto comparable = [amounts](std::optional<double> value) -> std::optional<double> {
        if (!value || amounts || *value == PointerRange::AccelerationOff)
            return value;
        return 1.0;
    };
    const bool speedRefused = keptWhatItHad(check.resolutionBefore, check.resolution, resolution);
    const bool accelerationRefused =
        check.acceleration &&
        (!acceleration || keptWhatItHad(comparable(check.accelerationBefore),
                                        comparable(check.acceleration), comparable(acceleration)));
    if (!speedRefused && !accelerationRefused) {
        if (!std::exchange(m_refusal, {}).isEmpty())
            Q_EMIT deviceLimitsChanged();
        return;
    }

    DeviceSpecificSettings held = currentValues();
    QString refused;
    if (speedRefused) {
        held.pointerSpeed = PointerSpeedMapping::speedFor(*resolution);
        // A lock is said where the locked control is; anything else is said here.
        if (!device->pointerResolutionLocked())
            refused = tr("Pointer speed not changed: the desktop kept %1.")
                          .arg(m_pointerSpeedFormatter.toString(held.pointerSpeed));
    }
    if (accelerationRefused) {
        held.pointerDisableAcceleration = acceleration == PointerRange::AccelerationOff;
        if (acceleration && *acceleration != PointerRange::AccelerationOff && amounts)
            held.pointerAcceleration = *acceleration;
        if (!device->pointerAccelerationLocked() && !holds(m_withoutAcceleration, device))
            m_withoutAcceleration.push_back(device); // the limits line says so
    }
    logLine(Prefix + QStringLiteral("[APPLY REFUSED] ") + device->name() +
            QStringLiteral(" kept its ") +
            (speedRefused && accelerationRefused ? QStringLiteral("speed and acceleration")
             : speedRefused                      ? QStringLiteral("speed")
                                                 : QStringLiteral("acceleration")) +
            QStringLiteral("; showing and storing what it holds."));
    // What the device holds is what the window shows and the record keeps.
    showValues(held, false);
    updateSettingsForCurrentDevice();
    m_refusal = refused;
    Q_EMIT settingsLoaded();
    Q_EMIT deviceLimitsChanged();
}

} // namespace veloquill
