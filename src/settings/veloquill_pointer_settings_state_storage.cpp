// The per-device table: reading it once, writing it whole after every change of a record.
#include "settings/veloquill_pointer_settings_state.h"

#include "support/log.h"
#include "support/number_format.h"

namespace veloquill {

void VeloquillPointerSettingsState::loadDeviceSettingsFromUserDefaults()
{
    const std::optional<QByteArray> data = m_store->data(DeviceSettingsKey);
    if (!data) {
        logLine(QStringLiteral("No device settings data found in UserDefaults (key: ") +
                DeviceSettingsKey +
                QStringLiteral("). Initializing with empty settings dictionary."));
        m_perDeviceSettings.clear();
        return;
    }

    DeviceSettingsDecoding decoded = decodeDeviceSettingsTable(*data);
    if (!decoded.table) {
        logLine(QStringLiteral("Error decoding device settings from UserDefaults (key: ") +
                DeviceSettingsKey + QStringLiteral("): ") + decoded.error +
                QStringLiteral(". Initializing with empty settings dictionary."));
        m_perDeviceSettings.clear();
        // The next save would replace every device's settings with this run's few.
        m_unreadableDeviceSettings = *data;
        return;
    }
    m_perDeviceSettings = std::move(*decoded.table);
    logLine(QStringLiteral("Successfully loaded ") + QString::number(m_perDeviceSettings.size()) +
            QStringLiteral(" device settings records from UserDefaults."));
}

void VeloquillPointerSettingsState::saveDeviceSettingsToUserDefaults()
{
    if (!m_isInitialized) {
        logLine(QStringLiteral("VeloquillPointerSettingsState.saveDeviceSettingsToUserDefaults: "
                               "Not initialized. Skipping save."));
        return;
    }
    const DeviceSettingsEncoding encoded = encodeDeviceSettingsTable(m_perDeviceSettings);
    if (!encoded.data) {
        logLine(QStringLiteral("Error encoding device settings for UserDefaults: ") +
                encoded.error);
        return;
    }
    if (m_unreadableDeviceSettings) {
        m_store->setData(UnreadableDeviceSettingsKey, *m_unreadableDeviceSettings);
        m_unreadableDeviceSettings.reset();
        logLine(QStringLiteral("VeloquillPointerSettingsState.saveDeviceSettingsToUserDefaults: "
                               "Kept the unreadable device settings data under key ") +
                UnreadableDeviceSettingsKey + QStringLiteral(" before replacing it."));
    }
    m_store->setData(DeviceSettingsKey, *encoded.data);
    logLine(QStringLiteral("Successfully saved ") + QString::number(m_perDeviceSettings.size()) +
            QStringLiteral(" device settings records to UserDefaults."));
}

void VeloquillPointerSettingsState::updateSettingsForCurrentDevice()
{
    if (!m_isInitialized || !m_selectedDeviceID) {
        logLine(QStringLiteral("VeloquillPointerSettingsState.updateSettingsForCurrentDevice: Not "
                               "initialized or no device selected. Skipping save."));
        return;
    }
    const DeviceSpecificSettings settings{m_currentPointerSpeed, m_currentPointerAcceleration,
                                          m_currentPointerDisableAcceleration};
    const auto existing = m_perDeviceSettings.constFind(*m_selectedDeviceID);
    if (existing != m_perDeviceSettings.cend() && *existing == settings)
        return;
    m_perDeviceSettings.insert(*m_selectedDeviceID, settings);
    logLine(QStringLiteral("Updated settings for device ") + *m_selectedDeviceID +
            QStringLiteral(" in memory: Speed=") + formatReal(settings.pointerSpeed) +
            QStringLiteral(", Accel=") + formatReal(settings.pointerAcceleration) +
            QStringLiteral(", DisableAccel=") + formatBool(settings.pointerDisableAcceleration));
    saveDeviceSettingsToUserDefaults();
}

} // namespace veloquill
