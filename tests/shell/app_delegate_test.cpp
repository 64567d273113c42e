#include "shell/app_delegate.h"

#include "device/pointer_device_manager.h"
#include "sim/simulated_hid_event_system.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>

using namespace veloquill;

namespace {
struct DelegateOnSimulatedDevices {
    test::LogCapture log;
    std::shared_ptr<sim::SimulatedHidEventSystem> system =
        std::make_shared<sim::SimulatedHidEventSystem>();
    std::shared_ptr<sim::SimulatedService> mouse =
        system->addService(sim::ServiceSpec::mouse("Head Mouse", 1, 2, std::nullopt, 400.0));
    PointerDeviceManager manager{system};
    AppDelegate delegate{manager};
};
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
    EXPECT_EQ(lines.value(1),
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
