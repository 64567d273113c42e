// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Reading a device back after the writes: what it refused, and what it cannot hold at all.
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

namespace veloquill {

namespace {
const QString Prefix = QStringLiteral("VeloquillPointerSettingsState: ");
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

bool holds(const std::vector<std::weak_ptr<PointerDevice>>& devices, const PointerDeviceRef& device)
{
    return std::ranges::any_of(devices, [&](const auto& held) { return held.lock() == device; });
}
} // namespace

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
        setRefusal({});
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

void VeloquillPointerSettingsState::setRefusal(const QString& refusal)
{
    if (refusal == m_refusal)
        return;
    m_refusal = refusal;
    Q_EMIT deviceLimitsChanged();
}

} // namespace veloquill
