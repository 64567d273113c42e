#include "settings_state_fixture.h"

#include <limits>

using namespace veloquill;
using namespace veloquill::test;

// "Head Mouse" selected and its first apply done, as 0.1 s after start-up.
class SettingsValues : public SettingsStateTest
{
protected:
    SettingsValues()
    {
        mouse = connect("Head Mouse", 4660, 171);
        build().ensureDeviceSelectionAndLoadSettings();
        mouse->clearWrites();
        log.clear();
    }

    std::shared_ptr<sim::SimulatedService> mouse;
};

TEST_F(SettingsValues, SpeedChangeIsAnnouncedStoredSavedAndAppliedInThatOrder)
{
    QStringList signals;
    QObject::connect(state.get(), &State::currentPointerSpeedWillChange,
                     [&] { signals << "will " + QString::number(state->currentPointerSpeed()); });
    QObject::connect(state.get(), &State::currentPointerSpeedChanged,
                     [&](double value) { signals << "did " + QString::number(value); });

    state->setCurrentPointerSpeed(0.7);
    EXPECT_EQ(signals, QStringList({"will 0.5", "did 0.7"}));
    EXPECT_EQ(log.lines().mid(0, 4),
              QStringList({"UI: currentPointerSpeed changed to: 0.7",
                           "Updated settings for device " + HeadMouse +
                               " in memory: Speed=0.7, Accel=1.0, DisableAccel=false",
                           "Successfully saved 1 device settings records to UserDefaults.",
                           P + "[APPLY SETTINGS] Applying settings to device: Head Mouse (ID: " +
                               HeadMouse + ")"}));
    EXPECT_TRUE(log.contains(P + "[APPLY SUCCESS] UI Speed (0-1): 0.7 -> NormInvRes: 0.01775 -> "
                                 "SysRes: 56.33802816901409. Applied to "
                                 "device.pointerResolution."));
    EXPECT_EQ(written(*mouse, Resolution), std::vector<std::int64_t>{3692169});
    EXPECT_EQ(decodeDeviceSettingsTable(*store->data(State::DeviceSettingsKey)).table,
              DeviceSettingsTable({{HeadMouse, {0.7, 1.0, false}}}));

    // The same value again is announced, and nothing else happens.
    log.clear();
    mouse->clearWrites();
    const int storeWrites = store->writeCount();
    state->setCurrentPointerSpeed(0.7);
    EXPECT_EQ(signals.size(), 4);
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_EQ(store->writeCount(), storeWrites);
    EXPECT_TRUE(mouse->writes().empty());
}

TEST_F(SettingsValues, WithAccelerationOffOnlyTheAccelerationReachesTheDevice)
{
    state->setCurrentPointerDisableAcceleration(true);
    state->setCurrentPointerSpeed(0.3);
    EXPECT_EQ(state->perDeviceSettings().value(HeadMouse),
              (DeviceSpecificSettings{0.3, 1.0, true}));
    EXPECT_TRUE(written(*mouse, Resolution).empty());
    EXPECT_EQ(written(*mouse, Acceleration), (std::vector<std::int64_t>(4, -65536)));
    EXPECT_TRUE(log.contains(P + "[APPLY SUCCESS] Set device.pointerAcceleration to -1"));
    waitForReadBacks();
    EXPECT_TRUE(log.contains(P + "[APPLY CONFIRM] Final device values (acceleration disabled): "
                                 "pointerAcceleration = -1.0, pointerResolution = "
                                 "77.41934204101562"));
}

TEST_F(SettingsValues, SpeedsMapOntoResolutionsLinearInTheirInverse)
{
    const std::vector<std::pair<double, std::int64_t>> table = {
        {0.25, 9532509}, {0.0, 78643200}, {0.75, 3456843},        {0.5, 5073754},
        {1.0, 2621440},  {2.0, 2621440},  {-1.0 / 29.0, 78643200}};
    for (const auto& [speed, fixed] : table) {
        mouse->clearWrites();
        state->setCurrentPointerSpeed(speed);
        EXPECT_EQ(written(*mouse, Resolution), std::vector<std::int64_t>{fixed}) << speed;
    }
    EXPECT_EQ(log.linesStartingWith("Warning:"),
              QStringList("Warning: normalizedInverseResolution was 0 for Head Mouse. Defaulting "
                          "systemResolution to max speed: 1200.0"));
}

TEST_F(SettingsValues, RevertAnnouncesEveryDefaultAndStoresOnlyWhatChanged)
{
    int announced = 0;
    for (auto signal :
         {&State::currentPointerSpeedWillChange, &State::currentPointerAccelerationWillChange,
          &State::currentPointerDisableAccelerationWillChange})
        QObject::connect(state.get(), signal, [&] { ++announced; });

    state->revertPointerSpeed(); // at the defaults, no record yet: one is made
    state->revertPointerSpeed(); // now with that record: nothing to save, still applied
    EXPECT_EQ(announced, 6);
    EXPECT_TRUE(log.contains("Reverting UI settings to defaults for selected device: Head Mouse (" +
                             HeadMouse + ")"));
    EXPECT_TRUE(log.contains("UI sliders reset to defaults. These defaults will be saved for " +
                             HeadMouse + " and applied to the device."));
    EXPECT_EQ(log.linesStartingWith("Updated settings").size(), 1);
    EXPECT_EQ(written(*mouse, Resolution), (std::vector<std::int64_t>(2, 5073754)));

    state->setSelectedDeviceID(std::nullopt);
    log.clear();
    state->revertPointerSpeed();
    EXPECT_EQ(log.lines(), QStringList("VeloquillPointerSettingsState.revertPointerSpeed: No "
                                       "device selected or not initialized. Cannot revert "
                                       "settings."));
    EXPECT_EQ(announced, 6);
}

TEST_F(SettingsValues, NonFiniteValuesAreRefusedAndSavingGoesOn)
{
    int announced = 0;
    QObject::connect(state.get(), &State::currentPointerSpeedWillChange, [&] { ++announced; });
    state->setCurrentPointerSpeed(std::numeric_limits<double>::quiet_NaN());
    state->setCurrentPointerAcceleration(-std::numeric_limits<double>::infinity());
    EXPECT_EQ(
        log.lines(),
        QStringList({P + "Refusing non-finite value nan for currentPointerSpeed. Keeping 0.5.",
                     P + "Refusing non-finite value -inf for currentPointerAcceleration. "
                         "Keeping 1.0."}));
    EXPECT_EQ(announced, 0);
    EXPECT_TRUE(mouse->writes().empty());

    state->setCurrentPointerSpeed(0.6);
    EXPECT_TRUE(log.contains("Successfully saved 1 device settings records to UserDefaults."));
}

TEST_F(SettingsStateTest, UnreadableTableIsKeptAsideBeforeTheFirstSaveReplacesIt)
{
    const QByteArray blob = R"({"a":{"pointerSpeed":0.2,"pointerAcceleration":2}})";
    store->setData(State::DeviceSettingsKey, blob);
    connect("Head Mouse", 4660, 171);
    build().ensureDeviceSelectionAndLoadSettings();
    EXPECT_EQ(log.linesStartingWith("Error decoding device settings from UserDefaults (key: "
                                    "Veloquill_DeviceSpecificSettings_v1): ")
                  .size(),
              1);
    EXPECT_EQ(store->data(State::DeviceSettingsKey), blob);

    state->setCurrentPointerSpeed(0.8);
    state->setCurrentPointerSpeed(0.9);
    EXPECT_EQ(store->data(State::UnreadableDeviceSettingsKey), blob);
    EXPECT_EQ(
        log.linesStartingWith("VeloquillPointerSettingsState.saveDeviceSettingsToUserDefaults:"
                              " Kept the unreadable device settings data under key "
                              "Veloquill_DeviceSpecificSettings_v1.unreadable before "
                              "replacing it.")
            .size(),
        1);
    EXPECT_EQ(decodeDeviceSettingsTable(*store->data(State::DeviceSettingsKey)).table,
              DeviceSettingsTable({{HeadMouse, {0.9, 1.0, false}}}));
}
