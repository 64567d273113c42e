// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Construction, the published properties and their change handlers, and the per-device table:
// read once, written after every change of a record (only the changed record is encoded again).
#include "settings/veloquill_pointer_settings_state.h"

#include "device/pointer_device_manager.h"
#include "device/pointer_ranges.h"
#include "settings/qsettings_defaults_store.h"
#include "support/log.h"
#include "support/number_format.h"

#include <QScopedValueRollback>

#include <algorithm>
#include <cmath>
#include <utility>

namespace veloquill {

namespace {
QString orNil(const std::optional<QString>& text)
{
    return text.value_or(QStringLiteral("nil"));
}
} // namespace

VeloquillPointerSettingsState& VeloquillPointerSettingsState::shared()
{
    // Lives for the whole process, like the manager it watches.
    static auto* instance = new VeloquillPointerSettingsState(
        PointerDeviceManager::shared(), std::make_shared<QSettingsDefaultsStore>());
    return *instance;
}

VeloquillPointerSettingsState::VeloquillPointerSettingsState(PointerDeviceManager& manager,
                                                             std::shared_ptr<DefaultsStore> store,
                                                             QObject* parent)
    : QObject(parent), m_manager(manager), m_store(std::move(store))
{
    // Another instance (another display, one account) may save records meanwhile: they are
    // merged into the stored table and read back into this one.
    m_store->mergeDataWith(DeviceSettingsKey, mergeDeviceSettingsData,
                           [this] { loadDeviceSettingsFromUserDefaults(); });
    loadDeviceSettingsFromUserDefaults();
    const std::optional<bool> autoSwitch = m_store->boolean(AutoSwitchToNewDevicesKey);
    const std::optional<QString> preferredName = m_store->string(PreferredDeviceNameKey);
    const std::optional<QString> persistedSelection = m_store->string(SelectedDeviceIDKey);
    // A preference stored in a form this version cannot read is replaced by its next write.
    const auto unreadable = [this](const QString& key, bool read) {
        return !read && m_store->contains(key);
    };
    if (unreadable(AutoSwitchToNewDevicesKey, autoSwitch.has_value()) ||
        unreadable(PreferredDeviceNameKey, preferredName.has_value()) ||
        unreadable(SelectedDeviceIDKey, persistedSelection.has_value()))
        m_store->keepCopyBeforeNextWrite();

    // Each restored preference is assigned, which writes it back.
    if (autoSwitch)
        setAutoSwitchToNewDevices(*autoSwitch);
    if (preferredName)
        setPreferredDeviceName(*preferredName);
    // An empty selection is "None (No device selected)" chosen by the user; no key at all is a
    // first start, which selects the first device.
    m_noneChosen = persistedSelection && persistedSelection->isEmpty();
    setSelectedDeviceID(m_noneChosen ? std::nullopt : persistedSelection);

    m_settingsLoaded = true;
    logLine(QStringLiteral("VeloquillPointerSettingsState: Initialized. Loaded ") +
            QString::number(m_perDeviceSettings.size()) +
            QStringLiteral(" device settings. Persisted selectedDeviceID: ") +
            orNil(persistedSelection) + QStringLiteral(". isInitialized=true."));

    connect(&m_manager, &PointerDeviceManager::deviceAdded, this,
            &VeloquillPointerSettingsState::deviceAdded);
    // Checked on a later turn, once the manager has finished changing the list.
    connect(&m_manager, &PointerDeviceManager::devicesChanged, this,
            &VeloquillPointerSettingsState::reapplyIfSelectedDeviceChanged, Qt::QueuedConnection);
}

VeloquillPointerSettingsState::~VeloquillPointerSettingsState()
{
    m_store->mergeDataWith(DeviceSettingsKey, {}, {});
}

void VeloquillPointerSettingsState::setAutoSwitchToNewDevices(bool value)
{
    m_autoSwitchToNewDevices = value;
    Q_EMIT autoSwitchToNewDevicesChanged(m_autoSwitchToNewDevices);
    m_store->setBoolean(AutoSwitchToNewDevicesKey, value);
}

void VeloquillPointerSettingsState::setPreferredDeviceName(const QString& value)
{
    m_preferredDeviceName = value;
    Q_EMIT preferredDeviceNameChanged(m_preferredDeviceName);
    m_store->setString(PreferredDeviceNameKey, value);
}

void VeloquillPointerSettingsState::setSelectedDeviceID(const std::optional<QString>& value)
{
    const std::optional<QString> oldValue = m_selectedDeviceID;
    // Precision mode is for the device in hand: the one left gets its own speed back.
    if (value != oldValue)
        setPrecisionMode(false);
    if (acceptsEdits())
        m_noneChosen = !value;
    Q_EMIT selectedDeviceIDWillChange();
    m_selectedDeviceID = value;
    Q_EMIT selectedDeviceIDChanged(m_selectedDeviceID);
    selectedDeviceIDDidSet(oldValue);
}

bool VeloquillPointerSettingsState::refuseNonFinite(const QString& property, double value,
                                                    double kept) const
{
    // A NaN or infinity can be neither stored nor applied; letting it into the table would
    // make every later save of every device fail.
    if (std::isfinite(value))
        return false;
    logLine(QStringLiteral("VeloquillPointerSettingsState: Refusing non-finite value ") +
            formatReal(value) + QStringLiteral(" for ") + property + QStringLiteral(". Keeping ") +
            formatReal(kept) + QLatin1Char('.'));
    return true;
}

double VeloquillPointerSettingsState::bounded(const QString& property, double value, double lowest,
                                              double highest)
{
    // A stored or typed value out of range would otherwise reach the device as a speed the
    // slider cannot show (a negative speed maps to the fastest pointer).
    const double inRange = std::clamp(value, lowest, highest);
    if (inRange != value)
        logLine(QStringLiteral("VeloquillPointerSettingsState: Bounding ") + property +
                QStringLiteral(" ") + formatReal(value) + QStringLiteral(" to ") +
                formatReal(inRange) + QLatin1Char('.'));
    return inRange;
}

void VeloquillPointerSettingsState::showValues(const DeviceSpecificSettings& values,
                                               bool announceEveryOne)
{
    // Watchers tell loads and reverts from edits by this guard.
    const QScopedValueRollback showing(m_showingValues, true);
    if (announceEveryOne || values.pointerSpeed != m_currentPointerSpeed) {
        m_currentPointerSpeed = values.pointerSpeed;
        Q_EMIT currentPointerSpeedChanged(m_currentPointerSpeed);
    }
    if (announceEveryOne || values.pointerAcceleration != m_currentPointerAcceleration) {
        m_currentPointerAcceleration = values.pointerAcceleration;
        Q_EMIT currentPointerAccelerationChanged(m_currentPointerAcceleration);
    }
    if (announceEveryOne ||
        values.pointerDisableAcceleration != m_currentPointerDisableAcceleration) {
        m_currentPointerDisableAcceleration = values.pointerDisableAcceleration;
        Q_EMIT currentPointerDisableAccelerationChanged(m_currentPointerDisableAcceleration);
    }
    if (values.precisionFactor != m_currentPrecisionFactor) {
        m_currentPrecisionFactor = values.precisionFactor;
        Q_EMIT precisionFactorChanged(m_currentPrecisionFactor);
    }
}

DeviceSpecificSettings VeloquillPointerSettingsState::currentValues() const
{
    return {m_currentPointerSpeed,
            m_currentPointerAcceleration,
            m_currentPointerDisableAcceleration,
            {},
            m_currentPrecisionFactor};
}

DeviceSpecificSettings VeloquillPointerSettingsState::boundedRecord(DeviceSpecificSettings record)
{
    record.pointerSpeed = bounded(QStringLiteral("currentPointerSpeed"), record.pointerSpeed,
                                  MinPointerSpeed, MaxPointerSpeed);
    record.pointerAcceleration =
        bounded(QStringLiteral("currentPointerAcceleration"), record.pointerAcceleration,
                PointerRange::MinAcceleration, PointerRange::MaxAcceleration);
    record.precisionFactor = bounded(QStringLiteral("precisionFactor"), record.precisionFactor,
                                     MinPrecisionFactor, MaxPrecisionFactor);
    return record;
}

void VeloquillPointerSettingsState::setCurrentPointerSpeed(double value)
{
    setEditedReal(QStringLiteral("currentPointerSpeed"), value, MinPointerSpeed, MaxPointerSpeed,
                  m_currentPointerSpeed,
                  &VeloquillPointerSettingsState::currentPointerSpeedChanged);
}

void VeloquillPointerSettingsState::setCurrentPointerAcceleration(double value)
{
    setEditedReal(QStringLiteral("currentPointerAcceleration"), value,
                  PointerRange::MinAcceleration, PointerRange::MaxAcceleration,
                  m_currentPointerAcceleration,
                  &VeloquillPointerSettingsState::currentPointerAccelerationChanged);
}

void VeloquillPointerSettingsState::setEditedReal(
    const QString& property, double value, double lowest, double highest, double& current,
    void (VeloquillPointerSettingsState::*changed)(double))
{
    if (refuseNonFinite(property, value, current))
        return;
    value = bounded(property, value, lowest, highest);
    const bool differs = value != current;
    current = value;
    Q_EMIT(this->*changed)(current);
    editedValueDidSet(differs, QStringLiteral("UI: ") + property + QStringLiteral(" changed to: ") +
                                   formatReal(value));
}

void VeloquillPointerSettingsState::setCurrentPointerDisableAcceleration(bool value)
{
    const bool changed = value != m_currentPointerDisableAcceleration;
    m_currentPointerDisableAcceleration = value;
    Q_EMIT currentPointerDisableAccelerationChanged(m_currentPointerDisableAcceleration);
    editedValueDidSet(changed,
                      QStringLiteral("UI: currentPointerDisableAcceleration changed to: ") +
                          formatBool(value));
}

void VeloquillPointerSettingsState::editedValueDidSet(bool changed, const QString& announcement)
{
    if (!acceptsEdits() || !changed)
        return;
    logLine(announcement);
    updateSettingsForCurrentDevice();
    applyPointerSettings();
}

void VeloquillPointerSettingsState::selectedDeviceIDDidSet(const std::optional<QString>& oldValue)
{
    if (m_selectedDeviceID)
        m_store->setString(SelectedDeviceIDKey, *m_selectedDeviceID);
    else if (m_noneChosen)
        m_store->setString(SelectedDeviceIDKey, QString()); // remembered across starts
    else
        m_store->remove(SelectedDeviceIDKey);
    logLine(QStringLiteral("VeloquillPointerSettingsState: selectedDeviceID.didSet. Old: ") +
            orNil(oldValue) + QStringLiteral(", New: ") + orNil(m_selectedDeviceID) +
            QStringLiteral(". Persisted."));

    if (!acceptsEdits()) {
        logLine(QStringLiteral("VeloquillPointerSettingsState: selectedDeviceID.didSet called "
                               "before self was fully initialized. Skipping load/apply "
                               "settings."));
        return;
    }
    if (oldValue == m_selectedDeviceID)
        return;
    logLine(QStringLiteral(
        "VeloquillPointerSettingsState: selectedDeviceID changed post-initialization."));
    if (m_manager.settingsSharedByKind()) {
        // The newly selected device's record takes over its kind's shared setting.
        m_appliedDevices.clear();
        applyStoredRecords();
    }
    loadSettingsForSelectedDevice();
}

PointerDeviceRef VeloquillPointerSettingsState::selectedDevice() const
{
    const std::vector<PointerDeviceRef> devices = selectedDevices();
    return devices.empty() ? nullptr : devices.front();
}

std::vector<PointerDeviceRef> VeloquillPointerSettingsState::selectedDevices() const
{
    std::vector<PointerDeviceRef> devices;
    if (!m_selectedDeviceID)
        return devices;
    for (const PointerDeviceRef& device : m_manager.devices()) {
        if (device->stableID() == *m_selectedDeviceID)
            devices.push_back(device);
    }
    return devices;
}

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
    const auto decodingError = [](const QString& what) {
        logLine(QStringLiteral("Error decoding device settings from UserDefaults (key: ") +
                DeviceSettingsKey + QStringLiteral("): ") + what);
    };
    if (!decoded.table) {
        decodingError(decoded.error + QStringLiteral(". Initializing with empty settings "
                                                     "dictionary."));
        // The next save would replace every device's settings with this run's few.
        m_store->keepCopyBeforeNextWrite();
        return;
    }
    for (const QString& error : decoded.recordErrors)
        decodingError(error + QStringLiteral(". The record is kept as it is."));
    for (const QString& stableID : decoded.duplicatedRecords) {
        decodingError(QStringLiteral("record \"") + stableID +
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
        record = settled;
        record->otherMembers = existing->otherMembers;
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
