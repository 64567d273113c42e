#include "settings_state_fixture.h"

#include <QRegularExpression>

#include <limits>

using namespace veloquill;
using namespace veloquill::test;

namespace {
const double NaN = std::numeric_limits<double>::quiet_NaN();
using Fixed = std::vector<std::int64_t>;
} // namespace

using SettingsState = SettingsStateTest;

// The settings layer's log wording, pinned once: a first run, an editing session, the selected
// device coming back, a preferred one arriving, every device leaving, and an unreadable table.
// The device manager's lines are left out; other tests check what is stored and written.
TEST_F(SettingsState, LogTranscriptOfAFirstRunAnEditingSessionAndDevicesComingAndGoing)
{
    auto mouse = connect("Head Mouse", 4660, 171);
    log.clear();
    build().ensureDeviceSelectionAndLoadSettings();
    waitForReadBacks();
    state->setCurrentPointerDisableAcceleration(true);
    waitForReadBacks();
    state->setCurrentPointerSpeed(NaN);
    state->setCurrentPointerAcceleration(-std::numeric_limits<double>::infinity());
    state->revertPointerSpeed();
    waitForReadBacks();
    state->setAutoSwitchToNewDevices(false);
    unplug(mouse);
    state->setCurrentPointerSpeed(0.7);
    mouse = connect("Head Mouse", 4660, 171);
    waitForReadBacks();
    state->setAutoSwitchToNewDevices(true);
    auto zono = connect("Zono X Pro", 7, 4);
    waitForReadBacks();
    unplug(mouse);
    unplug(zono);
    state->ensureDeviceSelectionAndLoadSettings();
    state->revertPointerSpeed();
    store->setData(State::DeviceSettingsKey, "{");
    store->setString(State::SelectedDeviceIDKey, HeadMouse);
    build().setCurrentPointerSpeed(0.6);

    QStringList settingsLines;
    bool managers = false; // indented lines belong to the line above them
    for (const QString& line : log.lines()) {
        if (!line.startsWith(' '))
            managers = line.contains(QRegularExpression("^\\[?(PointerDeviceManager|No devices)"));
        if (!managers)
            settingsLines << line;
    }
    EXPECT_EQ(
        settingsLines.join('\n').toStdString(),
        R"(No device settings data found in UserDefaults (key: Veloquill_DeviceSpecificSettings_v1). Initializing with empty settings dictionary.
VeloquillPointerSettingsState: selectedDeviceID.didSet. Old: nil, New: nil. Persisted.
VeloquillPointerSettingsState: selectedDeviceID.didSet called before self was fully initialized. Skipping load/apply settings.
VeloquillPointerSettingsState: Initialized. Loaded 0 device settings. Persisted selectedDeviceID: nil. isInitialized=true.
VeloquillPointerSettingsState.ensureDeviceSelectionAndLoadSettings: Called.
VeloquillPointerSettingsState: Current available devices (1 total):
  - Head Mouse (stableID: 4660-171-Head Mouse-N/A)
VeloquillPointerSettingsState: Currently selected device ID: nil
VeloquillPointerSettingsState: No valid device selected or previous selection lost. Defaulting to 'Head Mouse' (ID: 4660-171-Head Mouse-N/A).
VeloquillPointerSettingsState: [DEVICE SWITCH] Switching from 'nil' to '4660-171-Head Mouse-N/A'
VeloquillPointerSettingsState: selectedDeviceID.didSet. Old: nil, New: 4660-171-Head Mouse-N/A. Persisted.
VeloquillPointerSettingsState: selectedDeviceID changed post-initialization.
VeloquillPointerSettingsState: [SETTINGS DEFAULT] No saved settings for selected device Head Mouse (ID: 4660-171-Head Mouse-N/A). Using default UI settings:
  - Speed: 0.5
  - Acceleration: 1.0
  - Disable Acceleration: false
VeloquillPointerSettingsState: [HARDWARE APPLY] Applying loaded settings to hardware for device: Head Mouse (ID: 4660-171-Head Mouse-N/A)
VeloquillPointerSettingsState: [APPLY SETTINGS] Applying settings to device: Head Mouse (ID: 4660-171-Head Mouse-N/A)
VeloquillPointerSettingsState: [APPLY SETTINGS] Values to apply:
  - Speed: 0.5
  - Acceleration: 1.0
  - Disable Acceleration: false
VeloquillPointerSettingsState: [APPLY SUCCESS] Pointer acceleration ENABLED for device: Head Mouse
VeloquillPointerSettingsState: [APPLY SUCCESS] UI Speed (0-1): 0.5 -> NormInvRes: 0.012916666666666668 -> SysRes: 77.41935483870967. Applied to device.pointerResolution.
VeloquillPointerSettingsState: [APPLY SUCCESS] UI Accel (0-20): 1.0. Applied to device.pointerAcceleration.
VeloquillPointerSettingsState: [APPLY CONFIRM] Final device values (acceleration enabled): pointerAcceleration = 1.0, pointerResolution = 77.41934204101562
UI: currentPointerDisableAcceleration changed to: true
Updated settings for device 4660-171-Head Mouse-N/A in memory: Speed=0.5, Accel=1.0, DisableAccel=true
Successfully saved 1 device settings records to UserDefaults.
VeloquillPointerSettingsState: [APPLY SETTINGS] Applying settings to device: Head Mouse (ID: 4660-171-Head Mouse-N/A)
VeloquillPointerSettingsState: [APPLY SETTINGS] Values to apply:
  - Speed: 0.5
  - Acceleration: 1.0
  - Disable Acceleration: true
VeloquillPointerSettingsState: [APPLY SUCCESS] Pointer acceleration DISABLED for device: Head Mouse
VeloquillPointerSettingsState: [APPLY SUCCESS] Set device.pointerAcceleration to -1
VeloquillPointerSettingsState: [APPLY CONFIRM] Final device values (acceleration disabled): pointerAcceleration = -1.0, pointerResolution = 77.41934204101562
VeloquillPointerSettingsState: Refusing non-finite value nan for currentPointerSpeed. Keeping 0.5.
VeloquillPointerSettingsState: Refusing non-finite value -inf for currentPointerAcceleration. Keeping 1.0.
Reverting UI settings to defaults for selected device: Head Mouse (4660-171-Head Mouse-N/A)
UI sliders reset to defaults. These defaults will be saved for 4660-171-Head Mouse-N/A and applied to the device.
Updated settings for device 4660-171-Head Mouse-N/A in memory: Speed=0.5, Accel=1.0, DisableAccel=false
Successfully saved 1 device settings records to UserDefaults.
VeloquillPointerSettingsState: [APPLY SETTINGS] Applying settings to device: Head Mouse (ID: 4660-171-Head Mouse-N/A)
VeloquillPointerSettingsState: [APPLY SETTINGS] Values to apply:
  - Speed: 0.5
  - Acceleration: 1.0
  - Disable Acceleration: false
VeloquillPointerSettingsState: [APPLY SUCCESS] Pointer acceleration ENABLED for device: Head Mouse
VeloquillPointerSettingsState: [APPLY SUCCESS] UI Speed (0-1): 0.5 -> NormInvRes: 0.012916666666666668 -> SysRes: 77.41935483870967. Applied to device.pointerResolution.
VeloquillPointerSettingsState: [APPLY SUCCESS] UI Accel (0-20): 1.0. Applied to device.pointerAcceleration.
VeloquillPointerSettingsState: [APPLY CONFIRM] Final device values (acceleration enabled): pointerAcceleration = 1.0, pointerResolution = 77.41934204101562
UI: currentPointerSpeed changed to: 0.7
Updated settings for device 4660-171-Head Mouse-N/A in memory: Speed=0.7, Accel=1.0, DisableAccel=false
Successfully saved 1 device settings records to UserDefaults.
VeloquillPointerSettingsState.applyPointerSettings: No device selected. Settings not applied.
VeloquillPointerSettingsState: [DEVICE RECONNECT] Selected device connected again: Head Mouse (ID: 4660-171-Head Mouse-N/A). Loading and applying its settings.
VeloquillPointerSettingsState: [SETTINGS FOUND] Loaded saved settings for device 4660-171-Head Mouse-N/A:
  - Speed: 0.7
  - Acceleration: 1.0
  - Disable Acceleration: false
VeloquillPointerSettingsState: [HARDWARE APPLY] Applying loaded settings to hardware for device: Head Mouse (ID: 4660-171-Head Mouse-N/A)
VeloquillPointerSettingsState: [APPLY SETTINGS] Applying settings to device: Head Mouse (ID: 4660-171-Head Mouse-N/A)
VeloquillPointerSettingsState: [APPLY SETTINGS] Values to apply:
  - Speed: 0.7
  - Acceleration: 1.0
  - Disable Acceleration: false
VeloquillPointerSettingsState: [APPLY SUCCESS] Pointer acceleration ENABLED for device: Head Mouse
VeloquillPointerSettingsState: [APPLY SUCCESS] UI Speed (0-1): 0.7 -> NormInvRes: 0.01775 -> SysRes: 56.33802816901409. Applied to device.pointerResolution.
VeloquillPointerSettingsState: [APPLY SUCCESS] UI Accel (0-20): 1.0. Applied to device.pointerAcceleration.
VeloquillPointerSettingsState: [APPLY CONFIRM] Final device values (acceleration enabled): pointerAcceleration = 1.0, pointerResolution = 56.33802795410156
VeloquillPointerSettingsState: New device connected: Zono X Pro (ID: 7-4-Zono X Pro-N/A)
VeloquillPointerSettingsState: Detected preferred device 'Zono X Pro'. Switching to it.
VeloquillPointerSettingsState: selectedDeviceID.didSet. Old: 4660-171-Head Mouse-N/A, New: 7-4-Zono X Pro-N/A. Persisted.
VeloquillPointerSettingsState: selectedDeviceID changed post-initialization.
VeloquillPointerSettingsState: [SETTINGS DEFAULT] No saved settings for selected device Zono X Pro (ID: 7-4-Zono X Pro-N/A). Using default UI settings:
  - Speed: 0.5
  - Acceleration: 1.0
  - Disable Acceleration: false
VeloquillPointerSettingsState: [HARDWARE APPLY] Applying loaded settings to hardware for device: Zono X Pro (ID: 7-4-Zono X Pro-N/A)
VeloquillPointerSettingsState: [APPLY SETTINGS] Applying settings to device: Zono X Pro (ID: 7-4-Zono X Pro-N/A)
VeloquillPointerSettingsState: [APPLY SETTINGS] Values to apply:
  - Speed: 0.5
  - Acceleration: 1.0
  - Disable Acceleration: false
VeloquillPointerSettingsState: [APPLY SUCCESS] Pointer acceleration ENABLED for device: Zono X Pro
VeloquillPointerSettingsState: [APPLY SUCCESS] UI Speed (0-1): 0.5 -> NormInvRes: 0.012916666666666668 -> SysRes: 77.41935483870967. Applied to device.pointerResolution.
VeloquillPointerSettingsState: [APPLY SUCCESS] UI Accel (0-20): 1.0. Applied to device.pointerAcceleration.
VeloquillPointerSettingsState: [APPLY CONFIRM] Final device values (acceleration enabled): pointerAcceleration = 1.0, pointerResolution = 77.41934204101562
VeloquillPointerSettingsState.ensureDeviceSelectionAndLoadSettings: Called.
VeloquillPointerSettingsState: Current available devices (0 total):
VeloquillPointerSettingsState: Currently selected device ID: 7-4-Zono X Pro-N/A
VeloquillPointerSettingsState: No devices available to select.
VeloquillPointerSettingsState: [DEVICE SWITCH] Clearing selection from '7-4-Zono X Pro-N/A' to nil (no devices)
VeloquillPointerSettingsState: selectedDeviceID.didSet. Old: 7-4-Zono X Pro-N/A, New: nil. Persisted.
VeloquillPointerSettingsState: selectedDeviceID changed post-initialization.
VeloquillPointerSettingsState: [SETTINGS DEFAULT] No device selected. Resetting UI controls to default values:
  - Speed: 0.5
  - Acceleration: 1.0
  - Disable Acceleration: false
VeloquillPointerSettingsState: [HARDWARE SKIP] No device selected, hardware settings not applied.
VeloquillPointerSettingsState.revertPointerSpeed: No device selected or not initialized. Cannot revert settings.
Error decoding device settings from UserDefaults (key: Veloquill_DeviceSpecificSettings_v1): not JSON: unterminated object at offset 1. Initializing with empty settings dictionary.
VeloquillPointerSettingsState: selectedDeviceID.didSet. Old: nil, New: 4660-171-Head Mouse-N/A. Persisted.
VeloquillPointerSettingsState: selectedDeviceID.didSet called before self was fully initialized. Skipping load/apply settings.
VeloquillPointerSettingsState: Initialized. Loaded 0 device settings. Persisted selectedDeviceID: 4660-171-Head Mouse-N/A. isInitialized=true.
UI: currentPointerSpeed changed to: 0.6
Updated settings for device 4660-171-Head Mouse-N/A in memory: Speed=0.6, Accel=1.0, DisableAccel=false
VeloquillPointerSettingsState.saveDeviceSettingsToUserDefaults: Kept the unreadable device settings data under key Veloquill_DeviceSpecificSettings_v1.unreadable before replacing it.
Successfully saved 1 device settings records to UserDefaults.
VeloquillPointerSettingsState.applyPointerSettings: No device selected. Settings not applied.)");
}

TEST_F(SettingsState, FirstRunSelectsTheOnlyDeviceAndAppliesDefaultsWithoutStoringARecord)
{
    const auto mouse = connect("Head Mouse", 4660, 171);
    build();
    EXPECT_TRUE(mouse->writes().empty());
    state->ensureDeviceSelectionAndLoadSettings();
    EXPECT_EQ(written(*mouse, Resolution), Fixed{5073754});
    EXPECT_EQ(written(*mouse, Acceleration), Fixed{65536});
    EXPECT_EQ(store->string(State::SelectedDeviceIDKey), HeadMouse);
    EXPECT_FALSE(store->contains(State::DeviceSettingsKey));
}

TEST_F(SettingsState, RememberedDeviceWithARecordIsLoadedWithoutEditingAndAppliedOnce)
{
    const QString trackball = "2-2-Trackball-N/A";
    remember(trackball, {0.75, 7.3, false});
    connect("Head Mouse", 4660, 171);
    const auto device = connect("Trackball", 2, 2);
    build();
    int announced = 0;
    QObject::connect(state.get(), &State::currentPointerSpeedWillChange, [&] { ++announced; });
    const int storeWrites = store->writeCount();
    state->ensureDeviceSelectionAndLoadSettings();
    EXPECT_EQ(store->writeCount(), storeWrites);
    EXPECT_EQ(announced, 1);
    EXPECT_EQ(device->writes(),
              (std::vector<sim::PropertyWrite>{{Resolution, HidPropertyValue::integer(3456843)},
                                               {Acceleration, HidPropertyValue::integer(478412)}}));

    // Assigning the selection it already holds rewrites the key and loads nothing.
    state->setSelectedDeviceID(trackball);
    EXPECT_EQ(store->writeCount(), storeWrites + 1);
    EXPECT_EQ(device->writes().size(), 2u);
}

TEST_F(SettingsState, RememberedDeviceGoneGivesWayToTheFirstConnectedOneOrToNone)
{
    remember("1-1-Foot Mouse-N/A", {0.9, 3.0, true});
    build().loadSettingsForSelectedDevice(); // a record loads while its device is away
    EXPECT_EQ(state->currentPointerSpeed(), 0.9);
    state->ensureDeviceSelectionAndLoadSettings();
    EXPECT_FALSE(store->contains(State::SelectedDeviceIDKey));
    EXPECT_EQ(state->currentPointerSpeed(), 0.5);
    EXPECT_EQ(state->currentPointerAcceleration(), 1.0);
    EXPECT_FALSE(state->currentPointerDisableAcceleration());

    remember("1-1-Foot Mouse-N/A", {0.9, 3.0, true});
    const auto headMouse = connect("Head Mouse", 4660, 171);
    connect("Trackball", 2, 2);
    build().ensureDeviceSelectionAndLoadSettings();
    EXPECT_EQ(store->string(State::SelectedDeviceIDKey), HeadMouse);
    EXPECT_EQ(written(*headMouse, Resolution), Fixed{5073754});
    EXPECT_TRUE(state->perDeviceSettings().contains("1-1-Foot Mouse-N/A"));
}

TEST_F(SettingsState, OnlyAnArrivingPreferredDeviceIsSwitchedToAndOnlyWhenAutoSwitchIsOn)
{
    connect("Head Mouse", 4660, 171);
    build().ensureDeviceSelectionAndLoadSettings();
    connect("zono x mini", 7, 1); // differs only in letter case
    state->setPreferredDeviceName("");
    connect("Zono X Pro", 7, 2);
    state->setPreferredDeviceName("Zono X");
    state->setAutoSwitchToNewDevices(false);
    connect("Zono X Pro", 7, 3);
    EXPECT_EQ(state->selectedDeviceID(), HeadMouse);

    state->setAutoSwitchToNewDevices(true);
    log.clear();
    const auto zono = connect("Zono X Pro", 7, 4);
    EXPECT_EQ(store->string(State::SelectedDeviceIDKey), "7-4-Zono X Pro-N/A");
    EXPECT_EQ(written(*zono, Resolution), Fixed{5073754});
    // The switch waits until the manager has finished with the arrival.
    EXPECT_LT(log.lines().indexOf("PointerDeviceManager: Registered removal block for client: " +
                                  zono->describe()),
              log.lines().indexOf(P + "selectedDeviceID changed post-initialization."));
}

TEST_F(SettingsState, NewDeviceObjectUnderTheSelectedIDGetsTheSettings)
{
    // The device plugged in again, then its twin (identical foot mice without serial numbers
    // share one record) taking the place of the one listed.
    auto mouse = connect("Head Mouse", 4660, 171);
    build().ensureDeviceSelectionAndLoadSettings();
    state->setAutoSwitchToNewDevices(false);
    state->setCurrentPointerSpeed(0.75);
    unplug(mouse);
    mouse = connect("Head Mouse", 4660, 171);
    EXPECT_EQ(written(*mouse, Resolution), Fixed{3456843});

    const auto twin = connect("Head Mouse", 4660, 171);
    state->setCurrentPointerSpeed(0.25);
    EXPECT_TRUE(written(*twin, Resolution).empty());
    unplug(mouse);
    EXPECT_EQ(written(*twin, Resolution), Fixed{9532509});
}

// "Head Mouse" selected and its first apply done, as 0.1 s after start-up.
class SettingsValues : public SettingsStateTest
{
protected:
    SettingsValues()
    {
        mouse = connect("Head Mouse", 4660, 171);
        build().ensureDeviceSelectionAndLoadSettings();
        mouse->clearWrites();
    }
    DeviceSettingsTable storedTable() const
    {
        return decodeDeviceSettingsTable(store->data(State::DeviceSettingsKey).value_or(""))
            .table.value_or(DeviceSettingsTable{});
    }

    std::shared_ptr<sim::SimulatedService> mouse;
};

TEST_F(SettingsValues, SpeedChangeIsAnnouncedStoredAndAppliedAndTheSameValueOnlyAnnounced)
{
    QStringList signals;
    QObject::connect(state.get(), &State::currentPointerSpeedWillChange,
                     [&] { signals << "will " + QString::number(state->currentPointerSpeed()); });
    QObject::connect(state.get(), &State::currentPointerSpeedChanged,
                     [&](double value) { signals << "did " + QString::number(value); });
    state->setCurrentPointerSpeed(0.7);
    EXPECT_EQ(signals, QStringList({"will 0.5", "did 0.7"}));
    EXPECT_EQ(written(*mouse, Resolution), Fixed{3692169});
    EXPECT_EQ(storedTable(), DeviceSettingsTable({{HeadMouse, {0.7, 1.0, false}}}));

    const int storeWrites = store->writeCount();
    state->setCurrentPointerSpeed(0.7);
    EXPECT_EQ(signals.size(), 4);
    EXPECT_EQ(store->writeCount(), storeWrites);
    EXPECT_EQ(mouse->writes().size(), 2u);
}

TEST_F(SettingsValues, WithAccelerationOffOnlyTheAccelerationReachesTheDevice)
{
    state->setCurrentPointerDisableAcceleration(true);
    state->setCurrentPointerSpeed(0.3);
    EXPECT_EQ(storedTable(), DeviceSettingsTable({{HeadMouse, {0.3, 1.0, true}}}));
    EXPECT_TRUE(written(*mouse, Resolution).empty());
    EXPECT_EQ(written(*mouse, Acceleration), Fixed(4, -65536));
}

TEST_F(SettingsValues, SpeedsMapOntoResolutionsLinearInTheirInverse)
{
    const std::pair<double, std::int64_t> table[] = {
        {0.25, 9532509}, {0.0, 78643200}, {0.75, 3456843},        {0.5, 5073754},
        {1.0, 2621440},  {2.0, 2621440},  {-1.0 / 29.0, 78643200}};
    for (const auto& [speed, fixed] : table) {
        mouse->clearWrites();
        state->setCurrentPointerSpeed(speed);
        EXPECT_EQ(written(*mouse, Resolution), Fixed{fixed}) << speed;
    }
}

TEST_F(SettingsValues, RevertAnnouncesEveryDefaultStoresOnlyWhatChangedAndNeedsADevice)
{
    int announced = 0;
    for (auto signal :
         {&State::currentPointerSpeedWillChange, &State::currentPointerAccelerationWillChange,
          &State::currentPointerDisableAccelerationWillChange})
        QObject::connect(state.get(), signal, [&] { ++announced; });
    state->revertPointerSpeed(); // at the defaults, no record yet: one is made
    const int storeWrites = store->writeCount();
    state->revertPointerSpeed(); // now with that record: nothing to save, still applied
    EXPECT_EQ(announced, 6);
    EXPECT_EQ(store->writeCount(), storeWrites);
    EXPECT_EQ(storedTable(), DeviceSettingsTable({{HeadMouse, {0.5, 1.0, false}}}));
    EXPECT_EQ(written(*mouse, Resolution), Fixed(2, 5073754));

    state->setSelectedDeviceID(std::nullopt);
    state->revertPointerSpeed();
    EXPECT_EQ(announced, 6);
}

TEST_F(SettingsValues, NonFiniteValuesAreRefusedAndSavingGoesOn)
{
    int announced = 0;
    QObject::connect(state.get(), &State::currentPointerSpeedWillChange, [&] { ++announced; });
    state->setCurrentPointerSpeed(NaN);
    state->setCurrentPointerAcceleration(-std::numeric_limits<double>::infinity());
    EXPECT_EQ(announced, 0);
    EXPECT_TRUE(mouse->writes().empty());
    EXPECT_EQ(state->currentPointerSpeed(), 0.5);
    state->setCurrentPointerSpeed(0.6);
    EXPECT_EQ(storedTable(), DeviceSettingsTable({{HeadMouse, {0.6, 1.0, false}}}));
}

TEST_F(SettingsState, UnreadableTableIsKeptAsideBeforeTheFirstSaveReplacesIt)
{
    const QByteArray blob = R"({"a":{"pointerSpeed":0.2,"pointerAcceleration":2}})";
    store->setData(State::DeviceSettingsKey, blob);
    connect("Head Mouse", 4660, 171);
    build().ensureDeviceSelectionAndLoadSettings();
    EXPECT_EQ(store->data(State::DeviceSettingsKey), blob);
    state->setCurrentPointerSpeed(0.8);
    state->setCurrentPointerSpeed(0.9);
    EXPECT_EQ(store->data(State::UnreadableDeviceSettingsKey), blob);
    EXPECT_EQ(decodeDeviceSettingsTable(*store->data(State::DeviceSettingsKey)).table,
              DeviceSettingsTable({{HeadMouse, {0.9, 1.0, false}}}));
}
