#include "settings_state_fixture.h"

using namespace veloquill;
using namespace veloquill::test;

using SettingsSelection = SettingsStateTest;

TEST_F(SettingsSelection, FirstRunSelectsTheOnlyDeviceAndAppliesDefaultsWithoutARecord)
{
    const auto mouse = connect("Head Mouse", 4660, 171);
    log.clear();
    build();
    EXPECT_EQ(log.lines(),
              QStringList({"No device settings data found in UserDefaults (key: "
                           "Veloquill_DeviceSpecificSettings_v1). Initializing with empty "
                           "settings dictionary.",
                           P + "selectedDeviceID.didSet. Old: nil, New: nil. Persisted.",
                           P + "selectedDeviceID.didSet called before self was fully initialized. "
                               "Skipping load/apply settings.",
                           P + "Initialized. Loaded 0 device settings. Persisted selectedDeviceID: "
                               "nil. isInitialized=true."}));
    EXPECT_TRUE(mouse->writes().empty());

    log.clear();
    state->ensureDeviceSelectionAndLoadSettings();
    const QString id = " (ID: " + HeadMouse + ")";
    EXPECT_EQ(log.lines(),
              QStringList({
                  "VeloquillPointerSettingsState.ensureDeviceSelectionAndLoadSettings: Called.",
                  P + "Current available devices (1 total):",
                  "  - Head Mouse (stableID: " + HeadMouse + ")",
                  P + "Currently selected device ID: nil",
                  P +
                      "No valid device selected or previous selection lost. Defaulting to 'Head "
                      "Mouse' (ID: " +
                      HeadMouse + ").",
                  P + "[DEVICE SWITCH] Switching from 'nil' to '" + HeadMouse + "'",
                  P + "selectedDeviceID.didSet. Old: nil, New: " + HeadMouse + ". Persisted.",
                  P + "selectedDeviceID changed post-initialization.",
                  P + "[SETTINGS DEFAULT] No saved settings for selected device Head Mouse" + id +
                      ". Using default UI settings:",
                  "  - Speed: 0.5",
                  "  - Acceleration: 1.0",
                  "  - Disable Acceleration: false",
                  P +
                      "[HARDWARE APPLY] Applying loaded settings to hardware for device: Head "
                      "Mouse" +
                      id,
                  P + "[APPLY SETTINGS] Applying settings to device: Head Mouse" + id,
                  P + "[APPLY SETTINGS] Values to apply:",
                  "  - Speed: 0.5",
                  "  - Acceleration: 1.0",
                  "  - Disable Acceleration: false",
                  P + "[APPLY SUCCESS] Pointer acceleration ENABLED for device: Head Mouse",
                  P + "[APPLY SUCCESS] UI Speed (0-1): 0.5 -> NormInvRes: 0.012916666666666668 -> "
                      "SysRes: 77.41935483870967. Applied to device.pointerResolution.",
                  P + "[APPLY SUCCESS] UI Accel (0-20): 1.0. Applied to "
                      "device.pointerAcceleration.",
              }));
    EXPECT_EQ(written(*mouse, Resolution), std::vector<std::int64_t>{5073754});
    EXPECT_EQ(written(*mouse, Acceleration), std::vector<std::int64_t>{65536});
    EXPECT_EQ(store->string(State::SelectedDeviceIDKey), HeadMouse);
    EXPECT_FALSE(store->contains(State::DeviceSettingsKey));
    waitForReadBacks();
    EXPECT_EQ(log.lines().last(), P + "[APPLY CONFIRM] Final device values (acceleration enabled): "
                                      "pointerAcceleration = 1.0, pointerResolution = "
                                      "77.41934204101562");
}

TEST_F(SettingsSelection, RememberedDeviceWithARecordIsLoadedWithoutEditingAndAppliedOnce)
{
    const QString trackball = "2-2-Trackball-N/A";
    remember(trackball, {0.75, 7.3, false});
    connect("Head Mouse", 4660, 171);
    const auto device = connect("Trackball", 2, 2);
    build();
    int announced = 0;
    QObject::connect(state.get(), &State::currentPointerSpeedWillChange, [&] { ++announced; });
    const int storeWrites = store->writeCount();

    log.clear();
    state->ensureDeviceSelectionAndLoadSettings();
    EXPECT_TRUE(log.contains(P + "Valid device '" + trackball +
                             "' already selected. Ensuring settings are loaded."));
    EXPECT_TRUE(
        log.contains(P + "[SETTINGS FOUND] Loaded saved settings for device " + trackball + ":"));
    EXPECT_TRUE(log.linesStartingWith("UI: ").isEmpty());
    EXPECT_EQ(store->writeCount(), storeWrites);
    EXPECT_EQ(announced, 1);
    // The resolution, then the acceleration unchanged; once.
    EXPECT_EQ(device->writes(),
              (std::vector<sim::PropertyWrite>{{Resolution, HidPropertyValue::integer(3456843)},
                                               {Acceleration, HidPropertyValue::integer(478412)}}));

    // Assigning the selection it already holds rewrites the key and loads nothing.
    log.clear();
    state->setSelectedDeviceID(trackball);
    EXPECT_EQ(log.lines(), QStringList(P + "selectedDeviceID.didSet. Old: " + trackball +
                                       ", New: " + trackball + ". Persisted."));
    EXPECT_EQ(store->writeCount(), storeWrites + 1);
}

TEST_F(SettingsSelection, RememberedDeviceGoneGivesWayToTheFirstConnectedOne)
{
    remember("1-1-Foot Mouse-N/A", {0.9, 3.0, true});
    const auto headMouse = connect("Head Mouse", 4660, 171);
    connect("Trackball", 2, 2);
    build().ensureDeviceSelectionAndLoadSettings();
    EXPECT_TRUE(log.contains(P + "[DEVICE SWITCH] Switching from '1-1-Foot Mouse-N/A' to '" +
                             HeadMouse + "'"));
    EXPECT_EQ(store->string(State::SelectedDeviceIDKey), HeadMouse);
    EXPECT_EQ(written(*headMouse, Resolution), std::vector<std::int64_t>{5073754});
    EXPECT_TRUE(state->perDeviceSettings().contains("1-1-Foot Mouse-N/A"));
}

TEST_F(SettingsSelection, NoDevicesClearsTheStoredSelectionAndResetsTheValues)
{
    remember("1-1-Foot Mouse-N/A", {0.9, 3.0, true});
    build().loadSettingsForSelectedDevice(); // a record loads while its device is away
    EXPECT_EQ(state->currentPointerSpeed(), 0.9);

    log.clear();
    state->ensureDeviceSelectionAndLoadSettings();
    EXPECT_TRUE(log.contains(P + "No devices available to select."));
    EXPECT_TRUE(log.contains(
        P + "[DEVICE SWITCH] Clearing selection from '1-1-Foot Mouse-N/A' to nil (no devices)"));
    EXPECT_TRUE(log.contains(
        P + "[SETTINGS DEFAULT] No device selected. Resetting UI controls to default values:"));
    EXPECT_EQ(log.lines().last(),
              P + "[HARDWARE SKIP] No device selected, hardware settings not applied.");
    EXPECT_FALSE(store->contains(State::SelectedDeviceIDKey));
    EXPECT_EQ(state->currentPointerSpeed(), 0.5);
    EXPECT_EQ(state->currentPointerAcceleration(), 1.0);
    EXPECT_FALSE(state->currentPointerDisableAcceleration());
}

TEST_F(SettingsSelection, OnlyAnArrivingPreferredDeviceIsSwitchedTo)
{
    connect("Head Mouse", 4660, 171);
    build().ensureDeviceSelectionAndLoadSettings();
    log.clear();
    connect("zono x mini", 7, 1); // differs only in letter case
    state->setPreferredDeviceName("");
    connect("Zono X Pro", 7, 2);
    EXPECT_TRUE(log.contains(P + "New device connected: zono x mini (ID: 7-1-zono x mini-N/A)"));
    EXPECT_TRUE(log.contains(P + "New device connected: Zono X Pro (ID: 7-2-Zono X Pro-N/A)"));
    EXPECT_TRUE(log.linesStartingWith(P + "Detected").isEmpty());

    state->setPreferredDeviceName("Zono X");
    state->setAutoSwitchToNewDevices(false);
    log.clear();
    connect("Zono X Pro", 7, 3);
    EXPECT_TRUE(log.linesStartingWith(P).isEmpty());
    EXPECT_EQ(state->selectedDeviceID(), HeadMouse);

    state->setAutoSwitchToNewDevices(true);
    const auto zono = connect("Zono X Pro", 7, 4);
    EXPECT_TRUE(log.contains(P + "Detected preferred device 'Zono X Pro'. Switching to it."));
    EXPECT_EQ(store->string(State::SelectedDeviceIDKey), "7-4-Zono X Pro-N/A");
    EXPECT_EQ(written(*zono, Resolution), std::vector<std::int64_t>{5073754});
    // The switch waits until the manager has finished with the arrival.
    EXPECT_LT(log.lines().indexOf("PointerDeviceManager: Registered removal block for client: " +
                                  zono->describe()),
              log.lines().indexOf(P + "selectedDeviceID changed post-initialization."));
}

TEST_F(SettingsSelection, SelectedDevicePluggedInAgainGetsItsSettingsBack)
{
    auto mouse = connect("Head Mouse", 4660, 171);
    build().ensureDeviceSelectionAndLoadSettings();
    state->setAutoSwitchToNewDevices(false);
    state->setCurrentPointerSpeed(0.75);
    unplug(mouse);
    mouse = connect("Head Mouse", 4660, 171); // back with the system's values
    EXPECT_TRUE(log.contains(P +
                             "[DEVICE RECONNECT] Selected device connected again: Head Mouse "
                             "(ID: " +
                             HeadMouse + "). Loading and applying its settings."));
    EXPECT_EQ(written(*mouse, Resolution), std::vector<std::int64_t>{3456843});
}

TEST_F(SettingsSelection, TwinTakingThePlaceOfTheSelectedDeviceGetsItsSettings)
{
    // Two identical foot mice without serial numbers share one record.
    auto listed = connect("Foot Mouse", 5, 6);
    auto twin = connect("Foot Mouse", 5, 6);
    build().ensureDeviceSelectionAndLoadSettings();
    state->setCurrentPointerSpeed(0.75);
    EXPECT_TRUE(written(*twin, Resolution).empty());

    unplug(listed);
    EXPECT_EQ(written(*twin, Resolution), std::vector<std::int64_t>{3456843});
}
