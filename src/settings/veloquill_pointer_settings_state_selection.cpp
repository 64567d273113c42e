// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Keeping the selection valid, loading the selected device's settings, and switching to
// arriving devices.
#include "settings/veloquill_pointer_settings_state.h"

#include "device/pointer_device_manager.h"
#include "device/pointer_ranges.h"
#include "settings/pointer_speed_mapping.h"
#include "support/log.h"
#include "support/number_format.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace veloquill {

namespace {
const QString Prefix = QStringLiteral("VeloquillPointerSettingsState: ");

// Regardless of letter case and of spaces around the preferred name, as a person types it;
// canonically equivalent spellings (a precomposed "é" and "e" with a combining accent) count
// as equal.
bool nameContains(const QString& name, const QString& preferred)
{
    const QString wanted = preferred.trimmed().normalized(QString::NormalizationForm_C);
    if (wanted.isEmpty())
        return false;
    return name.normalized(QString::NormalizationForm_C).contains(wanted, Qt::CaseInsensitive);
}

// The first device the preferred name matches, one a hand moves before one software drives.
PointerDeviceRef preferredDevice(const std::vector<PointerDeviceRef>& devices,
                                 const QString& preferred)
{
    PointerDeviceRef found;
    for (const PointerDeviceRef& device : devices) {
        if (!nameContains(device->name(), preferred))
            continue;
        if (!device->isVirtual())
            return device;
        if (!found)
            found = device;
    }
    return found;
}

QString nameAndID(const PointerDevice& device)
{
    return device.name() + QStringLiteral(" (ID: ") + device.stableID() + QLatin1Char(')');
}

// What the device holds now, through the read mapping; what cannot be read shows as the
// default. `ownResolution` stands in for the one read while precision mode slows the device.
DeviceSpecificSettings readValues(const PointerDevice& device, std::optional<double> ownResolution)
{
    DeviceSpecificSettings values{VeloquillPointerSettingsState::DefaultPointerSpeed,
                                  VeloquillPointerSettingsState::DefaultPointerAcceleration,
                                  VeloquillPointerSettingsState::DefaultPointerDisableAcceleration};
    if (const auto resolution = ownResolution ? ownResolution : device.pointerResolution()) {
        const double speed = PointerSpeedMapping::speedFor(*resolution);
        if (std::isfinite(speed))
            values.pointerSpeed = speed;
    }
    if (const auto acceleration = device.pointerAcceleration()) {
        if (*acceleration == PointerRange::AccelerationOff)
            values.pointerDisableAcceleration = true;
        else if (std::isfinite(*acceleration))
            values.pointerAcceleration = *acceleration;
    }
    return values;
}
} // namespace

void VeloquillPointerSettingsState::ensureDeviceSelectionAndLoadSettings()
{
    if (!acceptsEdits()) {
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
    applyStoredRecords();

    const bool atStart = !std::exchange(m_selectionEnsured, true);

    if (m_selectedDeviceID && !selectedDevices().empty()) {
        logLine(Prefix + QStringLiteral("Valid device '") + *m_selectedDeviceID +
                QStringLiteral("' already selected. Ensuring settings are loaded."));
        loadSettingsForSelectedDevice();
        return;
    }

    if (!m_selectedDeviceID && m_noneChosen) {
        logLine(Prefix + QStringLiteral("\"None (No device selected)\" was chosen; keeping it."));
        loadSettingsForSelectedDevice();
        return;
    }

    // Auto-switch chooses for a first start, and at start for a selection whose device is not
    // here; later only an arriving device switches.
    const PointerDeviceRef preferred = m_autoSwitchToNewDevices && (atStart || !m_selectedDeviceID)
                                           ? preferredDevice(devices, m_preferredDeviceName)
                                           : nullptr;
    if (preferred) {
        logLine(Prefix + QStringLiteral("Detected preferred device '") + preferred->name() +
                QStringLiteral("'. Switching to it."));
        switchTo(preferred);
        return;
    }

    if (devices.empty())
        logLine(Prefix + QStringLiteral("No devices available to select."));
    if (m_selectedDeviceID) {
        // Only the user or auto-switch replaces a selection: its device may be back at any
        // moment (the desktop's input service restarting, a replug), and until then the window
        // says it is not connected rather than editing another device.
        logLine(Prefix + QStringLiteral("Keeping the selection '") + *m_selectedDeviceID +
                QStringLiteral("' until its device is connected"));
        loadSettingsForSelectedDevice();
        return;
    }

    // Software-driven devices (XTEST) are chosen only by the user or the preferred name: no
    // hand moves them, and the window would edit a device nobody uses.
    const auto first = std::ranges::find_if(
        devices, [](const PointerDeviceRef& device) { return !device->isVirtual(); });
    if (first == devices.end()) {
        if (!devices.empty())
            logLine(Prefix + QStringLiteral("No device a hand moves is connected; none is "
                                            "selected."));
        loadSettingsForSelectedDevice();
        return;
    }
    logLine(Prefix +
            QStringLiteral("No valid device selected or previous selection lost. Defaulting to '") +
            (*first)->name() + QStringLiteral("' (ID: ") + (*first)->stableID() +
            QStringLiteral(")."));
    switchTo(*first);
}

void VeloquillPointerSettingsState::switchTo(const PointerDeviceRef& device)
{
    const QString id = device->stableID();
    logLine(Prefix + QStringLiteral("[DEVICE SWITCH] Switching from '") +
            m_selectedDeviceID.value_or(QStringLiteral("nil")) + QStringLiteral("' to '") + id +
            QLatin1Char('\''));
    setSelectedDeviceID(id);
}

void VeloquillPointerSettingsState::loadSettingsForSelectedDevice()
{
    if (!acceptsEdits()) {
        logLine(QStringLiteral("VeloquillPointerSettingsState.loadSettingsForSelectedDevice: Not "
                               "fully initialized. Skipping."));
        return;
    }

    DeviceSpecificSettings chosen{DefaultPointerSpeed, DefaultPointerAcceleration,
                                  DefaultPointerDisableAcceleration};
    const auto record = m_selectedDeviceID ? m_perDeviceSettings.constFind(*m_selectedDeviceID)
                                           : m_perDeviceSettings.cend();
    const PointerDeviceRef device = selectedDevice();
    m_loadedDevice = device;
    if (record != m_perDeviceSettings.cend()) {
        // A record is used even while its device is not connected.
        logLine(Prefix + QStringLiteral("[SETTINGS FOUND] Loaded saved settings for device ") +
                *m_selectedDeviceID + QLatin1Char(':'));
        chosen = boundedRecord(*record);
    } else if (device) {
        const PrecisionBase* slowed = m_precisionMode ? precisionBaseOf(device) : nullptr;
        chosen = readValues(*device, slowed ? slowed->resolution : std::nullopt);
        logLine(Prefix + QStringLiteral("[SETTINGS READ] No saved settings for selected device ") +
                nameAndID(*device) +
                QStringLiteral(". Showing the values read from it; it is left as it is:"));
    } else {
        logLine(Prefix + QStringLiteral("[SETTINGS DEFAULT] No device selected. Resetting UI "
                                        "controls to default values:"));
    }
    logValues(chosen);
    // Loading is not editing: nothing is stored or written.
    showValues(chosen, false);
    m_refusal.clear();
    Q_EMIT settingsLoaded();
    Q_EMIT deviceLimitsChanged();
}

void VeloquillPointerSettingsState::reapplyIfSelectedDeviceChanged()
{
    if (!acceptsEdits())
        return;
    const PointerDeviceRef device = selectedDevice();
    if (device && device != m_loadedDevice.lock()) {
        logLine(Prefix + QStringLiteral("[DEVICE RECONNECT] Selected device connected again: ") +
                nameAndID(*device) + QStringLiteral(". Loading its settings."));
        loadSettingsForSelectedDevice();
    }
    applyStoredRecords();
}

void VeloquillPointerSettingsState::applyStoredRecords()
{
    std::erase_if(m_appliedDevices, [](const auto& applied) { return applied.expired(); });
    // Where every device of a kind shares one setting, only the selected device's record is
    // given: otherwise the setting would hold whichever device's came last.
    const bool onlySelected = m_manager.settingsSharedByKind();
    for (const PointerDeviceRef& device : m_manager.devices()) {
        const auto record = m_perDeviceSettings.constFind(device->stableID());
        if (record == m_perDeviceSettings.cend() || holds(m_appliedDevices, device))
            continue;
        if (onlySelected && device->stableID() != m_selectedDeviceID)
            continue;
        logLine(Prefix + QStringLiteral("[HARDWARE APPLY] Applying saved settings to device: ") +
                nameAndID(*device));
        applySettings(device, boundedRecord(*record));
    }
}

void VeloquillPointerSettingsState::deviceAdded(const PointerDeviceRef& device)
{
    if (!acceptsEdits())
        return;
    // Selection changes wait for a later turn of the main loop, after the manager has
    // finished with the arrival; work posted here dies with this object.
    if (m_autoSwitchToNewDevices) {
        logLine(Prefix + QStringLiteral("New device connected: ") + nameAndID(*device));
        if (nameContains(device->name(), m_preferredDeviceName)) {
            logLine(Prefix + QStringLiteral("Detected preferred device '") + device->name() +
                    QStringLiteral("'. Switching to it."));
            QMetaObject::invokeMethod(
                this, [this, stableID = device->stableID()] { setSelectedDeviceID(stableID); },
                Qt::QueuedConnection);
        }
    }
}

} // namespace veloquill
