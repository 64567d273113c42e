// Keeping the selection valid, loading the selected device's settings, and switching to
// arriving devices.
#include "settings/veloquill_pointer_settings_state.h"

#include "device/pointer_device_manager.h"
#include "support/log.h"
#include "support/number_format.h"

#include <QPointer>

namespace veloquill {

namespace {
const QString Prefix = QStringLiteral("VeloquillPointerSettingsState: ");

void logValues(double speed, double acceleration, bool disableAcceleration)
{
    logLine(QStringLiteral("  - Speed: ") + formatReal(speed));
    logLine(QStringLiteral("  - Acceleration: ") + formatReal(acceleration));
    logLine(QStringLiteral("  - Disable Acceleration: ") + formatBool(disableAcceleration));
}

// Case-sensitive, but canonically equivalent spellings (a precomposed "é" and "e" with a
// combining accent) count as equal.
bool nameContains(const QString& name, const QString& preferred)
{
    if (preferred.isEmpty())
        return false;
    return name.normalized(QString::NormalizationForm_C)
        .contains(preferred.normalized(QString::NormalizationForm_C), Qt::CaseSensitive);
}

QString nameAndID(const PointerDevice& device)
{
    return device.name() + QStringLiteral(" (ID: ") + device.stableID() + QLatin1Char(')');
}
} // namespace

void VeloquillPointerSettingsState::ensureDeviceSelectionAndLoadSettings()
{
    if (!m_isInitialized) {
        logLine(
            QStringLiteral("VeloquillPointerSettingsState.ensureDeviceSelectionAndLoadSettings: "
                           "Not initialized. Skipping."));
        return;
    }
    logLine(QStringLiteral(
        "VeloquillPointerSettingsState.ensureDeviceSelectionAndLoadSettings: Called."));

    const std::vector<PointerDeviceRef> devices = m_manager.devices();
    logLine(Prefix + QStringLiteral("Current available devices (") +
            QString::number(devices.size()) + QStringLiteral(" total):"));
    for (const PointerDeviceRef& device : devices) {
        logLine(QStringLiteral("  - ") + device->name() + QStringLiteral(" (stableID: ") +
                device->stableID() + QLatin1Char(')'));
    }
    logLine(Prefix + QStringLiteral("Currently selected device ID: ") +
            m_selectedDeviceID.value_or(QStringLiteral("nil")));

    if (m_selectedDeviceID) {
        for (const PointerDeviceRef& device : devices) {
            if (device->stableID() != *m_selectedDeviceID)
                continue;
            logLine(Prefix + QStringLiteral("Valid device '") + *m_selectedDeviceID +
                    QStringLiteral("' already selected. Ensuring settings are loaded."));
            loadSettingsForSelectedDevice();
            return;
        }
    }

    if (devices.empty()) {
        // An empty list is no choice of the user's: it is the start, or the desktop's input
        // service restarting. The selection waits for its device, which gets its record back.
        logLine(Prefix + QStringLiteral("No devices available to select."));
        if (m_selectedDeviceID) {
            logLine(Prefix + QStringLiteral("Keeping the selection '") + *m_selectedDeviceID +
                    QStringLiteral("' until its device is connected"));
        }
        loadSettingsForSelectedDevice();
        return;
    }

    const PointerDeviceRef& first = devices.front();
    const QString firstID = first->stableID();
    logLine(Prefix +
            QStringLiteral("No valid device selected or previous selection lost. Defaulting to '") +
            first->name() + QStringLiteral("' (ID: ") + firstID + QStringLiteral(")."));
    logLine(Prefix + QStringLiteral("[DEVICE SWITCH] Switching from '") +
            m_selectedDeviceID.value_or(QStringLiteral("nil")) + QStringLiteral("' to '") +
            firstID + QLatin1Char('\''));
    setSelectedDeviceID(firstID);
}

void VeloquillPointerSettingsState::loadSettingsForSelectedDevice()
{
    if (!m_isInitialized) {
        logLine(QStringLiteral("VeloquillPointerSettingsState.loadSettingsForSelectedDevice: Not "
                               "fully initialized. Skipping."));
        return;
    }

    DeviceSpecificSettings chosen{DefaultPointerSpeed, DefaultPointerAcceleration,
                                  DefaultPointerDisableAcceleration};
    const auto record = m_selectedDeviceID ? m_perDeviceSettings.constFind(*m_selectedDeviceID)
                                           : m_perDeviceSettings.cend();
    PointerDeviceRef device = selectedDevice();
    if (record != m_perDeviceSettings.cend()) {
        // A record is used even while its device is not connected.
        chosen = *record;
        logLine(Prefix + QStringLiteral("[SETTINGS FOUND] Loaded saved settings for device ") +
                *m_selectedDeviceID + QLatin1Char(':'));
    } else if (device) {
        logLine(Prefix +
                QStringLiteral("[SETTINGS DEFAULT] No saved settings for selected device ") +
                nameAndID(*device) + QStringLiteral(". Using default UI settings:"));
    } else {
        logLine(Prefix + QStringLiteral("[SETTINGS DEFAULT] No device selected. Resetting UI "
                                        "controls to default values:"));
    }
    logValues(chosen.pointerSpeed, chosen.pointerAcceleration, chosen.pointerDisableAcceleration);

    // Loading is not editing: the change handlers must neither store nor apply these.
    const bool wasInitialized = m_isInitialized;
    m_isInitialized = false;
    if (chosen.pointerSpeed != m_currentPointerSpeed)
        setCurrentPointerSpeed(chosen.pointerSpeed);
    if (chosen.pointerAcceleration != m_currentPointerAcceleration)
        setCurrentPointerAcceleration(chosen.pointerAcceleration);
    if (chosen.pointerDisableAcceleration != m_currentPointerDisableAcceleration)
        setCurrentPointerDisableAcceleration(chosen.pointerDisableAcceleration);
    m_isInitialized = wasInitialized;
    Q_EMIT settingsLoaded();

    device = selectedDevice();
    if (!device) {
        logLine(Prefix + QStringLiteral(
                             "[HARDWARE SKIP] No device selected, hardware settings not applied."));
        return;
    }
    logLine(Prefix +
            QStringLiteral("[HARDWARE APPLY] Applying loaded settings to hardware for device: ") +
            nameAndID(*device));
    applyPointerSettings();
}

void VeloquillPointerSettingsState::startObservingDeviceAdditions()
{
    QPointer<VeloquillPointerSettingsState> weakSelf(this);
    m_deviceAddedObservationToken = m_manager.observeDeviceAdded(
        [weakSelf](PointerDeviceManager&, const PointerDeviceRef& device) {
            if (weakSelf)
                weakSelf->deviceAdded(device);
        });
    // Checked on a later turn, once the manager has finished changing the list.
    connect(&m_manager, &PointerDeviceManager::devicesChanged, this,
            &VeloquillPointerSettingsState::reapplyIfSelectedDeviceChanged, Qt::QueuedConnection);
}

void VeloquillPointerSettingsState::reapplyIfSelectedDeviceChanged()
{
    if (!m_isInitialized || !m_selectedDeviceID)
        return;
    const PointerDeviceRef device = selectedDevice();
    if (!device || device == m_appliedDevice.lock())
        return;
    logLine(Prefix + QStringLiteral("[DEVICE RECONNECT] Selected device connected again: ") +
            nameAndID(*device) + QStringLiteral(". Loading and applying its settings."));
    loadSettingsForSelectedDevice();
}

void VeloquillPointerSettingsState::deviceAdded(const PointerDeviceRef& device)
{
    if (!m_isInitialized)
        return;
    const QString stableID = device->stableID();

    // Selection changes wait for a later turn of the main loop, after the manager has
    // finished with the arrival; work posted here dies with this object.
    if (m_autoSwitchToNewDevices) {
        logLine(Prefix + QStringLiteral("New device connected: ") + nameAndID(*device));
        if (nameContains(device->name(), m_preferredDeviceName)) {
            logLine(Prefix + QStringLiteral("Detected preferred device '") + device->name() +
                    QStringLiteral("'. Switching to it."));
            QMetaObject::invokeMethod(
                this, [this, device, stableID] { setSelectedDeviceID(stableID); },
                Qt::QueuedConnection);
        }
    }
}

} // namespace veloquill
