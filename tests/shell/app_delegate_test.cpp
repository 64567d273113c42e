#include "shell/app_delegate.h"

#include "device/pointer_device_manager.h"
#include "settings/in_memory_defaults_store.h"
#include "settings/veloquill_pointer_settings_state.h"
#include "shell/status_bar_controller.h"
#include "sim/simulated_hid_event_system.h"
#include "support/log.h"
#include "support/log_capture.h"
#include "support/main_loop.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

using namespace veloquill;

namespace {
struct DelegateOnSimulatedDevices
{
    test::LogCapture log;
    std::shared_ptr<sim::SimulatedHidEventSystem> system =
        std::make_shared<sim::SimulatedHidEventSystem>();
    std::shared_ptr<sim::SimulatedService> mouse =
        system->addService(sim::ServiceSpec::mouse("Head Mouse", 1, 2, std::nullopt, 400.0));
    PointerDeviceManager manager{system};
    std::unique_ptr<VeloquillPointerSettingsState> settings;
    // Built on first use, as the program's shared settings state is.
    AppDelegate delegate{manager, [this]() -> VeloquillPointerSettingsState& {
                             if (!settings)
                                 settings = std::make_unique<VeloquillPointerSettingsState>(
                                     manager, std::make_shared<test::InMemoryDefaultsStore>());
                             return *settings;
                         }};
};
const QString kApplying = "[AppDelegate] Applying saved settings to devices after startup";
} // namespace

TEST(AppDelegate, LaunchStartsObservationBeforeSayingSo)
{
    DelegateOnSimulatedDevices app;
    app.delegate.applicationDidFinishLaunching();
    EXPECT_TRUE(app.manager.isObserving());
    EXPECT_EQ(app.manager.devices().size(), 1u);
    EXPECT_EQ(app.log.lines().last(),
              "[AppDelegate] Called PointerDeviceManager.shared.startObservation()");
}

TEST(AppDelegate, TerminateRestoresDevicesThenStopsObservationOnce)
{
    DelegateOnSimulatedDevices app;
    app.delegate.applicationDidFinishLaunching();
    app.manager.devices()[0]->setPointerResolution(200.0);
    app.log.clear();

    app.delegate.applicationWillTerminate();
    const QStringList lines = app.log.lines();
    EXPECT_EQ(lines.first(),
              "[AppDelegate] Application will terminate. Restoring pointer settings.");
    EXPECT_EQ(
        lines.value(1),
        "[PointerDeviceManager] Attempting to restore initial pointer settings for 1 devices.");
    EXPECT_LT(lines.indexOf("[PointerDeviceManager] Cleared stored initial resolutions."),
              lines.indexOf("[PointerDeviceManager] stopObservation: Stopping IOKit listening. "
                            "Device list will persist."));
    EXPECT_EQ(lines.last(), "[AppDelegate] Called PointerDeviceManager.shared.stopObservation()");
    EXPECT_EQ(app.mouse->property("HIDPointerResolution"), HidPropertyValue::integer(400 * 65536));
    EXPECT_FALSE(app.manager.isObserving());

    // Quit and a signal may both arrive: the second changes nothing.
    app.log.clear();
    app.delegate.applicationWillTerminate();
    EXPECT_TRUE(app.log.lines().isEmpty());
}

TEST(AppDelegate, SavedSettingsAreAppliedATenthOfASecondAfterLaunch)
{
    DelegateOnSimulatedDevices app;
    QElapsedTimer sinceLaunch;
    sinceLaunch.start();
    app.delegate.applicationDidFinishLaunching();
    EXPECT_EQ(app.settings, nullptr);
    ASSERT_TRUE(test::runMainLoopUntil([&] { return app.log.contains(kApplying); }));
    EXPECT_GE(sinceLaunch.elapsed(), AppDelegate::SavedSettingsDelayMs);

    // The settings state came into being in that step, after the devices were listed, and
    // applied the defaults to the one device: speed 0.5 is resolution 77.41935483870967.
    ASSERT_NE(app.settings, nullptr);
    const QStringList lines = app.log.lines();
    EXPECT_LT(lines.indexOf("PointerDeviceManager: Observation started and initial devices "
                            "processed. Initialization complete."),
              lines.indexOf(kApplying));
    EXPECT_EQ(app.settings->selectedDeviceID(), "1-2-Head Mouse-N/A");
    EXPECT_EQ(app.mouse->property("HIDPointerResolution"),
              HidPropertyValue::integer(5073754)); // 77.41935483870967 × 65536, truncated
}

TEST(AppDelegate, QuittingBeforeTheDeferredStepAppliesNothingAfterTheRestore)
{
    DelegateOnSimulatedDevices app;
    app.delegate.applicationDidFinishLaunching();
    app.delegate.applicationWillTerminate();
    test::runMainLoopFor(AppDelegate::SavedSettingsDelayMs * 2);
    EXPECT_FALSE(app.log.contains(kApplying));
    EXPECT_EQ(app.mouse->property("HIDPointerResolution"), HidPropertyValue::integer(400 * 65536));
}

TEST(AppDelegate, TrayItemComesFirstAndReopenShowsSettingsOnlyWithoutVisibleWindows)
{
    test::LogCapture log;
    auto system = std::make_shared<sim::SimulatedHidEventSystem>();
    PointerDeviceManager manager{system};
    int settingsShown = 0;
    AppDelegate::Interface interface;
    interface.makeStatusBarController = [&] {
        logLine("status item created");
        return std::unique_ptr<StatusBarController>();
    };
    interface.showSettingsWindow = [&] { ++settingsShown; };
    AppDelegate delegate(
        manager, []() -> VeloquillPointerSettingsState& { throw std::logic_error("unused"); },
        interface);

    delegate.applicationDidFinishLaunching();
    const QStringList lines = log.lines();
    EXPECT_EQ(lines.first(), "status item created");
    EXPECT_GT(lines.indexOf("[AppDelegate] Called PointerDeviceManager.shared.startObservation()"),
              0);

    EXPECT_TRUE(delegate.applicationShouldHandleReopen(true));
    EXPECT_EQ(settingsShown, 0);
    EXPECT_TRUE(delegate.applicationShouldHandleReopen(false));
    EXPECT_EQ(settingsShown, 1);
    delegate.applicationWillTerminate(); // before the deferred step: it never runs
    test::runMainLoopFor(AppDelegate::SavedSettingsDelayMs * 2);
}
