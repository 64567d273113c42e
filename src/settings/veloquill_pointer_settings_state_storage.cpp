// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The per-device table: reading it once, writing it after every change of a record (only the
// changed record is encoded again).
#include "settings/veloquill_pointer_settings_state.h"

#include "support/log.h"
#include "support/number_format.h"

#include <algorithm>
#include <utility>

namespace veloquill {

void VeloquillPointerSettingsState::loadDeviceSettingsFromUserDefaults()
{
    m_perDeviceSettings.clear();
    m_unreadableDeviceRecords.clear();
    const std::optional<QByteArray> data = m_store->data(DeviceSettingsKey);
    if (!data && !m_store->contains(DeviceSettingsKey)) {
        logLine(QStringLiteral("No device settings data found in UserDefaults (key: ") +
                DeviceSettingsKey +
                QStringLiteral("). Initializing with empty settings dictionary."));
        return;
    }

    DeviceSettingsDecoding decoded =
        data ? decodeDeviceSettingsTable(*data)
             : DeviceSettingsDecoding{std::nullopt, QStringLiteral("the stored value is not data")};
    if (!decoded.table) {
        logLine(QStringLiteral("Error decoding device settings from UserDefaults (key: ") +
                DeviceSettingsKey + QStringLiteral("): ") + decoded.error +
                QStringLiteral(". Initializing with empty settings dictionary."));
        // The next save would replace every device's settings with this run's few.
        m_store->keepCopyBeforeNextWrite();
        return;
    }
    for (const QString& error : decoded.recordErrors) {
        logLine(QStringLiteral("Error decoding device settings from UserDefaults (key: ") +
                DeviceSettingsKey + QStringLiteral("): ") + error +
                QStringLiteral(". The record is kept as it is."));
    }
    for (const QString& stableID : decoded.duplicatedRecords) {
        logLine(QStringLiteral("Error decoding device settings from UserDefaults (key: ") +
                DeviceSettingsKey + QStringLiteral("): record \"") + stableID +
                QStringLiteral("\" is stored more than once. The last one is used."));
    }
    // The next save keeps one record of each; the copy keeps them all.
    if (!decoded.duplicatedRecords.isEmpty())
        m_store->keepCopyBeforeNextWrite();
    m_perDeviceSettings = std::move(*decoded.table);
    m_unreadableDeviceRecords = std::move(decoded.unreadableRecords);
    logLine(QStringLiteral("Successfully loaded ") + QString::number(m_perDeviceSettings.size()) +
            QStringLiteral(" device settings records from UserDefaults."));
}

void VeloquillPointerSettingsState::saveDeviceSettingsToUserDefaults()
{
    if (!acceptsEdits()) {
        logLine(QStringLiteral("VeloquillPointerSettingsState.saveDeviceSettingsToUserDefaults: "
                               "Not initialized. Skipping save."));
        return;
    }
    DeviceSettingsTable toStore = m_perDeviceSettings;
    if (m_heldRecord) {
        const auto& [stableID, record] = *m_heldRecord;
        if (record)
            toStore.insert(stableID, *record);
        else
            toStore.remove(stableID);
    }
    const DeviceSettingsEncoding encoded =
        m_deviceSettingsEncoder.encode(toStore, m_unreadableDeviceRecords);
    if (!encoded.data) {
        logLine(QStringLiteral("Error encoding device settings for UserDefaults: ") +
                encoded.error);
        return;
    }
    const QString count = QString::number(toStore.size());
    if (!m_store->setData(DeviceSettingsKey, *encoded.data)) {
        logLine(QStringLiteral("Could not save ") + count +
                QStringLiteral(" device settings records to UserDefaults; they are kept in "
                               "memory for this run."));
        return;
    }
    logLine(QStringLiteral("Successfully saved ") + count +
            QStringLiteral(" device settings records to UserDefaults."));
}

void VeloquillPointerSettingsState::updateSettingsForCurrentDevice()
{
    if (!acceptsEdits() || !m_selectedDeviceID) {
        logLine(QStringLiteral("VeloquillPointerSettingsState.updateSettingsForCurrentDevice: Not "
                               "initialized or no device selected. Skipping save."));
        return;
    }
    DeviceSpecificSettings settings = currentValues();
    const auto existing = m_perDeviceSettings.constFind(*m_selectedDeviceID);
    if (existing != m_perDeviceSettings.cend()) {
        settings.otherMembers = existing->otherMembers;
        if (*existing == settings)
            return;
    }
    m_perDeviceSettings.insert(*m_selectedDeviceID, settings);
    logLine(QStringLiteral("Updated settings for device ") + *m_selectedDeviceID +
            QStringLiteral(" in memory: Speed=") + formatReal(settings.pointerSpeed) +
            QStringLiteral(", Accel=") + formatReal(settings.pointerAcceleration) +
            QStringLiteral(", DisableAccel=") + formatBool(settings.pointerDisableAcceleration));
    saveDeviceSettingsToUserDefaults();
}

void VeloquillPointerSettingsState::holdStoredRecord(const DeviceSpecificSettings& settled)
{
    if (!m_selectedDeviceID)
        return;
    std::optional<DeviceSpecificSettings> record;
    // A run of small changes may have stored values since the settled ones; the file goes
    // back to those.
    if (const auto existing = m_perDeviceSettings.constFind(*m_selectedDeviceID);
        existing != m_perDeviceSettings.cend()) {
        record = *existing;
        record->pointerSpeed = settled.pointerSpeed;
        record->pointerAcceleration = settled.pointerAcceleration;
        record->pointerDisableAcceleration = settled.pointerDisableAcceleration;
        record->precisionFactor = settled.precisionFactor;
    }
    m_heldRecord.emplace(*m_selectedDeviceID, std::move(record));
    logLine(QStringLiteral("Holding the stored record of ") + *m_selectedDeviceID +
            QStringLiteral(" at its settled values until the change is kept."));
    saveDeviceSettingsToUserDefaults();
}

void VeloquillPointerSettingsState::releaseStoredRecord()
{
    if (!m_heldRecord)
        return;
    m_heldRecord.reset();
    saveDeviceSettingsToUserDefaults();
}

void VeloquillPointerSettingsState::restoreHeldRecord()
{
    if (!m_heldRecord)
        return;
    const auto [stableID, record] = *std::exchange(m_heldRecord, std::nullopt);
    if (record)
        m_perDeviceSettings.insert(stableID, *record);
    else
        m_perDeviceSettings.remove(stableID);
    saveDeviceSettingsToUserDefaults();
}

int VeloquillPointerSettingsState::answerSeconds() const
{
    bool read = false;
    const int seconds = m_store->string(AnswerSecondsKey).value_or(QString()).toInt(&read);
    return read ? std::clamp(seconds, DefaultAnswerSeconds, MaxAnswerSeconds)
                : DefaultAnswerSeconds;
}

void VeloquillPointerSettingsState::setAnswerSeconds(int seconds)
{
    seconds = std::clamp(seconds, DefaultAnswerSeconds, MaxAnswerSeconds);
    if (seconds == answerSeconds())
        return;
    m_store->setString(AnswerSecondsKey, QString::number(seconds));
    Q_EMIT answerSecondsChanged(seconds);
}

} // namespace veloquill
