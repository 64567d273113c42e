// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "device/pointer_device.h"
#include "settings/decimal_formatter.h"
#include "settings/defaults_store.h"
#include "settings/device_specific_settings.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace veloquill {

class PointerDeviceManager;

// The model behind the settings window: which device is selected, the three values the user
// edits for it, the auto-switch preferences, and every device's stored settings. Each
// assignment to a published property announces itself (xChanged), equal or not, and then runs
// the property's change handler, which may persist it, store the device's record and write the
// device; the selection also announces itself before it changes. Main thread only.
class VeloquillPointerSettingsState : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool autoSwitchToNewDevices READ autoSwitchToNewDevices WRITE
                   setAutoSwitchToNewDevices NOTIFY autoSwitchToNewDevicesChanged)
    Q_PROPERTY(QString preferredDeviceName READ preferredDeviceName WRITE setPreferredDeviceName
                   NOTIFY preferredDeviceNameChanged)
    Q_PROPERTY(std::optional<QString> selectedDeviceID READ selectedDeviceID WRITE
                   setSelectedDeviceID NOTIFY selectedDeviceIDChanged)
    Q_PROPERTY(double currentPointerSpeed READ currentPointerSpeed WRITE setCurrentPointerSpeed
                   NOTIFY currentPointerSpeedChanged)
    Q_PROPERTY(double currentPointerAcceleration READ currentPointerAcceleration WRITE
                   setCurrentPointerAcceleration NOTIFY currentPointerAccelerationChanged)
    Q_PROPERTY(
        bool currentPointerDisableAcceleration READ currentPointerDisableAcceleration WRITE
            setCurrentPointerDisableAcceleration NOTIFY currentPointerDisableAccelerationChanged)

public:
    // Persisted keys.
    static inline const QString DeviceSettingsKey =
        QStringLiteral("Veloquill_DeviceSpecificSettings_v1");
    static inline const QString SelectedDeviceIDKey =
        QStringLiteral("selectedDeviceID_v2_settings_state");
    static inline const QString PreferredDeviceNameKey = QStringLiteral("preferredDeviceName");
    static inline const QString AutoSwitchToNewDevicesKey =
        QStringLiteral("autoSwitchToNewDevices");
    static inline const QString AnswerSecondsKey = QStringLiteral("keepOrGoBackSeconds");

    // What the window shows with no device, and what revertPointerSpeed goes back to when
    // the device reports no defaults of its own.
    static constexpr double DefaultPointerSpeed = 0.5;
    static constexpr double DefaultPointerAcceleration = 1.0;
    static constexpr bool DefaultPointerDisableAcceleration = false;
    // Every speed and acceleration the state is given or loads from a record is bounded to
    // these; acceleration off is its own switch, never a value. Values read from a device are
    // shown as read, and a value outside these is not written until the user sets it.
    static constexpr double MinPointerSpeed = 0.0;
    static constexpr double MaxPointerSpeed = 1.0;
    // What precision mode may multiply the selected device's speed factor by.
    static constexpr double MinPrecisionFactor = 0.05;
    static constexpr double MaxPrecisionFactor = 1.0;
    static inline const QString InitialPreferredDeviceName = QStringLiteral("Zono X");

    // The program's instance, on PointerDeviceManager::shared() and the user's settings file.
    static VeloquillPointerSettingsState& shared();

    // Restores the table, the preferences and the selection from the store and starts
    // watching for arriving devices. Loads nothing into the edited values and touches no
    // device: that is ensureDeviceSelectionAndLoadSettings()'s work. Every device that
    // arrives later and has a record gets it.
    VeloquillPointerSettingsState(PointerDeviceManager& manager,
                                  std::shared_ptr<DefaultsStore> store, QObject* parent = nullptr);
    ~VeloquillPointerSettingsState() override;

    // The stored settings have been loaded (once, on construction).
    bool isLoaded() const { return m_settingsLoaded; }
    // A load or revert is putting values on show: what changes meanwhile is no user's edit.
    bool isShowingValues() const { return m_showingValues; }

    bool autoSwitchToNewDevices() const { return m_autoSwitchToNewDevices; }
    void setAutoSwitchToNewDevices(bool value);
    QString preferredDeviceName() const { return m_preferredDeviceName; }
    void setPreferredDeviceName(const QString& value);
    std::optional<QString> selectedDeviceID() const { return m_selectedDeviceID; }
    void setSelectedDeviceID(const std::optional<QString>& value);
    // A non-finite speed or acceleration is refused with a log line; the value stays. Others
    // are bounded (speed 0…1, acceleration 0…20) with a log line when out of range.
    double currentPointerSpeed() const { return m_currentPointerSpeed; }
    void setCurrentPointerSpeed(double value);
    double currentPointerAcceleration() const { return m_currentPointerAcceleration; }
    void setCurrentPointerAcceleration(double value);
    bool currentPointerDisableAcceleration() const { return m_currentPointerDisableAcceleration; }
    void setCurrentPointerDisableAcceleration(bool value);

    // Precision mode slows the selected device for a fine task: its speed factor is multiplied
    // by the device's precision factor. Off at every start and never stored; the edited values
    // stay as they are, so nothing compares or stores them differently while it is on.
    bool precisionMode() const { return m_precisionMode; }
    void setPrecisionMode(bool on);
    // The selected device's precision factor (0.05…1, its record's, else 0.25). Setting it
    // stores it in the record like any edited value.
    double precisionFactor() const { return m_currentPrecisionFactor; }
    void setPrecisionFactor(double value);
    // The factor the selected device really gets in precision mode: the precision factor
    // unless the slowest resolution a device takes stops it first.
    double precisionFactorInEffect() const;

    // The first listed device whose stableID is the selection, looked up afresh each time.
    PointerDeviceRef selectedDevice() const;
    // Every listed device of the selected record: identical devices share it, and every edit,
    // revert and precision mode reaches each of them.
    std::vector<PointerDeviceRef> selectedDevices() const;
    const DeviceSettingsTable& perDeviceSettings() const { return m_perDeviceSettings; }
    const DecimalFormatter& pointerAccelerationFormatter() const
    {
        return m_pointerAccelerationFormatter;
    }
    const DecimalFormatter& pointerSpeedFormatter() const { return m_pointerSpeedFormatter; }

    // Gives every listed device with a record that record, then loads the selected device's
    // settings. Only the user and auto-switch change a selection: one whose device is not here
    // is kept (shown "not connected") unless, at the first call of a run, auto-switch finds
    // the preferred device. With no selection at all (a first start) the preferred device is
    // selected when auto-switch is on, else the first device software does not drive.
    void ensureDeviceSelectionAndLoadSettings();
    // Puts the selected device's record, or without one the values read from the device (the
    // defaults with no device), into the edited values. Stores and writes nothing: a device
    // without a record is left as it is until the user changes one of its settings.
    void loadSettingsForSelectedDevice();
    // Writes the edited values to the selected device; reads them back 0.05 s later.
    void applyPointerSettings();
    // Back to the defaults the selected device reports (speed 0.5, acceleration 1.0 and on
    // where it reports none): shown, stored and applied.
    void revertPointerSpeed();

    // What the selected device lets the window set, asked afresh: the administrator's locks,
    // and whether it has acceleration at all (none can be read, or a write of it read back
    // unchanged).
    struct DeviceLimits
    {
        bool speedLocked = false;
        bool accelerationLocked = false;
        bool hasAcceleration = true;
    };
    DeviceLimits selectedDeviceLimits() const;
    // One line saying which write the selected device refused last and why; empty when its
    // last writes were taken, and from each load of its values.
    QString refusal() const { return m_refusal; }

    // While a change waits to be kept, the stored file keeps the selected device's record
    // with `settled`'s speed, acceleration and precision factor (no record when it had none):
    // a quit, a signal or a crash meanwhile leaves nothing unconfirmed for the next start. The
    // table in memory follows the edits as usual. Releasing stores the table as it is.
    void holdStoredRecord(const DeviceSpecificSettings& settled);
    void releaseStoredRecord();
    // Going back: the table takes the held record again, and without one the device has no
    // record again, rather than one made of the values read from it.
    void restoreHeldRecord();

    // How long a change that asks waits for its answer: stored, 15…60 s.
    static constexpr int DefaultAnswerSeconds = 15;
    static constexpr int MaxAnswerSeconds = 60;
    int answerSeconds() const;
    void setAnswerSeconds(int seconds);

Q_SIGNALS:
    void autoSwitchToNewDevicesChanged(bool value);
    void preferredDeviceNameChanged(const QString& value);
    void selectedDeviceIDWillChange();
    void selectedDeviceIDChanged(const std::optional<QString>& value);
    void currentPointerSpeedChanged(double value);
    void currentPointerAccelerationChanged(double value);
    void currentPointerDisableAccelerationChanged(bool value);
    void precisionModeChanged(bool on);
    void precisionFactorChanged(double factor);
    void answerSecondsChanged(int seconds);
    // The edited values were just loaded for the selected device: read, not edited.
    void settingsLoaded();
    // The edited values were just put back to the defaults, stored and applied.
    void settingsReverted();
    // selectedDeviceLimits() or refusal() may say otherwise: the selected device's values were
    // loaded, it refused a write (the edited values now hold what it holds), or it took one
    // after a refusal.
    void deviceLimitsChanged();

private:
    bool refuseNonFinite(const QString& property, double value, double kept) const;
    // A speed or acceleration given: refused when not finite, else bounded, announced and
    // handled.
    void setEditedReal(const QString& property, double value, double lowest, double highest,
                       double& current, void (VeloquillPointerSettingsState::*changed)(double));
    // Shows the values without storing or writing them; every one is announced, or only those
    // that differ.
    void showValues(const DeviceSpecificSettings& values, bool announceEveryOne);
    DeviceSpecificSettings currentValues() const;
    static double bounded(const QString& property, double value, double lowest, double highest);
    static DeviceSpecificSettings boundedRecord(DeviceSpecificSettings record);

    // Change handlers, run after each assignment.
    void selectedDeviceIDDidSet(const std::optional<QString>& oldValue);
    void editedValueDidSet(bool changed, const QString& announcement);

    // Edits are stored and applied only once loaded, and never while values are put on show.
    bool acceptsEdits() const { return m_settingsLoaded && !m_showingValues; }

    // The stored table.
    void loadDeviceSettingsFromUserDefaults();
    void saveDeviceSettingsToUserDefaults();
    void updateSettingsForCurrentDevice();

    // Arrivals.
    void deviceAdded(const PointerDeviceRef& device);
    void reapplyIfSelectedDeviceChanged();
    // Selects the device for the user, with a line saying from what.
    void switchTo(const PointerDeviceRef& device);
    // Every listed device object with a record that has not had it yet gets it.
    void applyStoredRecords();
    void applySettings(const PointerDeviceRef& device, const DeviceSpecificSettings& values);
    static bool holds(const std::vector<std::weak_ptr<PointerDevice>>& devices,
                      const PointerDeviceRef& device);
    // The three edited values, one log line each.
    static void logValues(const DeviceSpecificSettings& values);
    // The resolution the device is given for `values`, slowed while precision mode is on and
    // the device is one of the selected record's.
    double resolutionToWrite(const PointerDeviceRef& device,
                             const DeviceSpecificSettings& values) const;
    // What a device held before a write and what was written to it, to tell a refusal.
    struct WriteCheck
    {
        std::optional<double> resolutionBefore;
        std::optional<double> accelerationBefore;
        std::optional<double> resolution;
        std::optional<double> acceleration;
        std::uint64_t serial = 0;
    };
    // Numbers a write to the device: only the read-back of its latest write can tell whether
    // the device took it.
    std::uint64_t noteWrite(const PointerDeviceRef& device);
    // A moment after the writes: logs what the device holds, and where the selected device
    // kept what it had, the edited values and its record take what it holds.
    void scheduleReadBack(const PointerDeviceRef& device, const WriteCheck& check,
                          bool accelerationDisabled);
    void checkReadBack(const PointerDeviceRef& device, const WriteCheck& check,
                       std::optional<double> resolution, std::optional<double> acceleration);
    // Writes precision mode's state to the selected device: its record, or without one its
    // resolution as read when precision mode came on.
    void applyPrecision();

    PointerDeviceManager& m_manager;
    std::shared_ptr<DefaultsStore> m_store;
    bool m_settingsLoaded = false;
    bool m_showingValues = false;
    // The user chose "None (No device selected)": kept, not replaced by the first device.
    bool m_noneChosen = false;
    // The device objects written to: another object listed under the same stableID (the
    // device plugged in again, or its twin) has the system's values and needs its record.
    std::vector<std::weak_ptr<PointerDevice>> m_appliedDevices;
    // The device object whose values are shown; another one under the selected stableID is
    // loaded afresh.
    std::weak_ptr<PointerDevice> m_loadedDevice;
    bool m_autoSwitchToNewDevices = true;
    QString m_preferredDeviceName = InitialPreferredDeviceName;
    DeviceSettingsTable m_perDeviceSettings;
    // The selected device's stableID and its record as the file keeps it while held.
    std::optional<std::pair<QString, std::optional<DeviceSpecificSettings>>> m_heldRecord;
    // Records this version cannot read, written back as they were.
    UnreadableDeviceRecords m_unreadableDeviceRecords;
    // Each record's JSON from the last save: a step encodes only the record it changed.
    DeviceSettingsEncoder m_deviceSettingsEncoder;
    std::optional<QString> m_selectedDeviceID;
    double m_currentPointerSpeed = DefaultPointerSpeed;
    double m_currentPointerAcceleration = DefaultPointerAcceleration;
    bool m_currentPointerDisableAcceleration = DefaultPointerDisableAcceleration;
    double m_currentPrecisionFactor = DeviceSpecificSettings::DefaultPrecisionFactor;
    bool m_precisionMode = false;
    // Devices without a record in precision mode: the resolution each had before, given back.
    struct PrecisionBase
    {
        std::weak_ptr<PointerDevice> device;
        std::optional<double> resolution;
    };
    std::vector<PrecisionBase> m_precisionBases;
    const PrecisionBase* precisionBaseOf(const PointerDeviceRef& device) const;
    // Device objects whose acceleration writes read back unchanged.
    std::vector<std::weak_ptr<PointerDevice>> m_withoutAcceleration;
    QString m_refusal;
    std::map<const PointerDevice*, std::uint64_t> m_latestWrites;
    std::uint64_t m_writeSerial = 0;
    // The first call of ensureDeviceSelectionAndLoadSettings, at start, is done.
    bool m_selectionEnsured = false;
    const DecimalFormatter m_pointerAccelerationFormatter;
    const DecimalFormatter m_pointerSpeedFormatter;
};

} // namespace veloquill
