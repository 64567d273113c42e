// Writing the edited values to the selected device, and going back to the defaults.
#include "settings/veloquill_pointer_settings_state.h"

#include "device/pointer_ranges.h"
#include "settings/pointer_speed_mapping.h"
#include "support/log.h"
#include "support/number_format.h"

#include <QTimer>

#include <chrono>

namespace veloquill {

namespace {
const QString Prefix = QStringLiteral("VeloquillPointerSettingsState: ");
constexpr double UnreadableMarker = -999.0;
constexpr std::chrono::milliseconds ConfirmationDelay{50};

// Reports what the device holds a moment after the writes. It keeps the device alive and
// reads it whatever the selection has become meanwhile.
void scheduleReadBack(PointerDeviceRef device, bool accelerationDisabled)
{
    QTimer::singleShot(ConfirmationDelay, [device = std::move(device), accelerationDisabled] {
        const double acceleration = device->pointerAcceleration().value_or(UnreadableMarker);
        const double resolution = device->pointerResolution().value_or(UnreadableMarker);
        logLine(Prefix + QStringLiteral("[APPLY CONFIRM] Final device values (acceleration ") +
                (accelerationDisabled ? QStringLiteral("disabled") : QStringLiteral("enabled")) +
                QStringLiteral("): pointerAcceleration = ") + formatReal(acceleration) +
                QStringLiteral(", pointerResolution = ") + formatReal(resolution));
    });
}
} // namespace

void VeloquillPointerSettingsState::applyPointerSettings()
{
    if (!m_isInitialized) {
        logLine(QStringLiteral("VeloquillPointerSettingsState.applyPointerSettings: Self not fully "
                               "initialized. Aborting."));
        return;
    }
    const PointerDeviceRef device = selectedDevice();
    if (!device) {
        logLine(QStringLiteral("VeloquillPointerSettingsState.applyPointerSettings: No device "
                               "selected. Settings not applied."));
        return;
    }
    m_appliedDevice = device;
    const QString name = device->name();
    logLine(Prefix + QStringLiteral("[APPLY SETTINGS] Applying settings to device: ") + name +
            QStringLiteral(" (ID: ") + device->stableID() + QLatin1Char(')'));
    logLine(Prefix + QStringLiteral("[APPLY SETTINGS] Values to apply:"));
    logLine(QStringLiteral("  - Speed: ") + formatReal(m_currentPointerSpeed));
    logLine(QStringLiteral("  - Acceleration: ") + formatReal(m_currentPointerAcceleration));
    logLine(QStringLiteral("  - Disable Acceleration: ") +
            formatBool(m_currentPointerDisableAcceleration));

    // The speed reaches the device whether acceleration is on or off: switching acceleration
    // never changes the pointer's base speed by itself.
    const PointerSpeedMapping mapping = PointerSpeedMapping::forSpeed(m_currentPointerSpeed);
    if (mapping.inverseWasZero) {
        logLine(QStringLiteral("Warning: normalizedInverseResolution was 0 for ") + name +
                QStringLiteral(". Defaulting systemResolution to max speed: ") +
                formatReal(PointerSpeedMapping::HighestResolution));
    }
    device->setPointerResolution(mapping.systemResolution);
    const QString speedApplied =
        Prefix + QStringLiteral("[APPLY SUCCESS] UI Speed (0-1): ") +
        formatReal(m_currentPointerSpeed) + QStringLiteral(" -> NormInvRes: ") +
        formatReal(mapping.normalizedInverseResolution) + QStringLiteral(" -> SysRes: ") +
        formatReal(mapping.systemResolution) +
        QStringLiteral(". Applied to device.pointerResolution.");

    if (m_currentPointerDisableAcceleration) {
        // Written twice on purpose.
        device->setPointerAcceleration(PointerRange::AccelerationOff);
        device->setPointerAcceleration(PointerRange::AccelerationOff);
        logLine(Prefix +
                QStringLiteral("[APPLY SUCCESS] Pointer acceleration DISABLED for "
                               "device: ") +
                name);
        logLine(Prefix + QStringLiteral("[APPLY SUCCESS] Set device.pointerAcceleration to -1"));
        logLine(speedApplied);
        scheduleReadBack(device, true);
        return;
    }

    device->setPointerAcceleration(m_currentPointerAcceleration);
    logLine(Prefix + QStringLiteral("[APPLY SUCCESS] Pointer acceleration ENABLED for device: ") +
            name);
    logLine(speedApplied);
    logLine(Prefix + QStringLiteral("[APPLY SUCCESS] UI Accel (0-20): ") +
            formatReal(m_currentPointerAcceleration) +
            QStringLiteral(". Applied to device.pointerAcceleration."));
    scheduleReadBack(device, false);
}

void VeloquillPointerSettingsState::revertPointerSpeed()
{
    const PointerDeviceRef device = m_isInitialized ? selectedDevice() : nullptr;
    if (!device) {
        logLine(QStringLiteral("VeloquillPointerSettingsState.revertPointerSpeed: No device "
                               "selected or not initialized. Cannot revert settings."));
        return;
    }
    const QString stableID = device->stableID();
    logLine(QStringLiteral("Reverting UI settings to defaults for selected device: ") +
            device->name() + QStringLiteral(" (") + stableID + QLatin1Char(')'));

    // Every assignment is announced, changed or not; the handlers stay quiet meanwhile.
    m_isInitialized = false;
    setCurrentPointerDisableAcceleration(DefaultPointerDisableAcceleration);
    setCurrentPointerAcceleration(DefaultPointerAcceleration);
    setCurrentPointerSpeed(DefaultPointerSpeed);
    m_isInitialized = true;

    logLine(QStringLiteral("UI sliders reset to defaults. These defaults will be saved for ") +
            stableID + QStringLiteral(" and applied to the device."));
    updateSettingsForCurrentDevice();
    applyPointerSettings();
    Q_EMIT settingsReverted();
}

} // namespace veloquill
