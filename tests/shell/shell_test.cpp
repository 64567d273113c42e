#include "shell/app_delegate.h"

#include "device/pointer_device_manager.h"
#include "settings/in_memory_defaults_store.h"
#include "settings/veloquill_pointer_settings_state.h"
#include "shell/single_instance.h"
#include "shell/status_bar_controller.h"
#include "shell/termination_signals.h"
#include "shell/tray_fallback.h"
#include "sim/simulated_hid_event_system.h"
#include "support/log.h"
#include "support/log_capture.h"
#include "support/main_loop.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <csignal>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace veloquill;

namespace {
// The program's delegate on a simulated mouse at resolution 400, with a settings state built
// when the saved settings are applied, as the program's shared one is, and no tray host.
struct DelegateOnSimulatedDevices
{
    test::LogCapture log;
    std::shared_ptr<sim::SimulatedHidEventSystem> system =
        std::make_shared<sim::SimulatedHidEventSystem>();
    std::shared_ptr<sim::SimulatedService> mouse =
        system->addService(sim::ServiceSpec::mouse("Head Mouse", 1, 2, std::nullopt, 400.0));
    PointerDeviceManager manager{system};
    std::unique_ptr<VeloquillPointerSettingsState> settings;
    int settingsShown = 0;
    AppDelegate delegate{
        manager,
        [this]() -> VeloquillPointerSettingsState& {
            if (!settings)
                settings = std::make_unique<VeloquillPointerSettingsState>(
                    manager, std::make_shared<test::InMemoryDefaultsStore>());
            return *settings;
        },
        {[] {
             logLine("(tray item made)");
             return std::unique_ptr<StatusBarController>();
         },
         [this] { ++settingsShown; },
         {},
         [this] { openSettingsIfNoTrayHost([] { return false; }, [this] { ++settingsShown; }); }}};

    HidPropertyValue resolution() const { return mouse->property("HIDPointerResolution"); }
};
} // namespace

// A crashed start's socket, a stranger, a second start; then launch without a tray host, the
// saved settings applied, and quit twice (quit and a signal may both arrive).
TEST(ShellTranscript, SecondStartThenLaunchSavedSettingsWithoutATrayAndQuitTwice)
{
    DelegateOnSimulatedDevices app;
    QTemporaryDir runtimeDir;
    const QString path = runtimeDir.filePath("veloquill");
    // What a crashed process leaves behind: the socket file with nobody listening.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, path.toLocal8Bit().constData(), sizeof(address.sun_path));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
    SingleInstance first(path);
    int reopens = 0;
    QObject::connect(&first, &SingleInstance::reopenRequested, [&] { ++reopens; });
    ASSERT_EQ(first.claim(), SingleInstance::Role::Primary);
    // The server hangs up on a stranger that keeps talking, and opens nothing.
    QLocalSocket stranger;
    stranger.connectToServer(path);
    ASSERT_TRUE(stranger.waitForConnected(1000));
    stranger.write(QByteArray("open\n") + QByteArray(200, 'x'));
    EXPECT_TRUE(
        test::runMainLoopUntil([&] { return stranger.state() == QLocalSocket::UnconnectedState; }));
    EXPECT_EQ(reopens, 0);
    SingleInstance second(path);
    ASSERT_EQ(second.claim(), SingleInstance::Role::Secondary);
    ASSERT_TRUE(test::runMainLoopUntil([&] { return reopens == 1; }));

    QElapsedTimer sinceLaunch;
    sinceLaunch.start();
    app.delegate.applicationDidFinishLaunching();
    ASSERT_TRUE(test::runMainLoopUntil([&] { return app.settingsShown == 1; }));
    EXPECT_GE(sinceLaunch.elapsed(), AppDelegate::SavedSettingsDelayMs);
    // The defaults' speed 0.5 is resolution 77.41935483870967, in 16.16 truncated.
    EXPECT_EQ(app.resolution(), HidPropertyValue::integer(5073754));

    app.delegate.applicationWillTerminate();
    app.delegate.applicationWillTerminate();
    EXPECT_EQ(app.resolution(), HidPropertyValue::integer(400 * 65536));
    app.system->addService(sim::ServiceSpec::mouse("Late Mouse", 3, 4));
    test::drainMainLoop();
    EXPECT_EQ(app.manager.devices().size(), 1u) << "observation went on after quitting";
    // The shell's own lines, and the device layer's milestones they must fall between.
    const QRegularExpression transcript(
        "^\\[(AppDelegate|SingleInstance|StatusBarController)\\]|^\\(|"
        "Initialization complete|Attempting to restore|Stopping");
    EXPECT_EQ(
        app.log.lines().filter(transcript),
        QStringList({
            "[SingleInstance] Veloquill is already running; asked it to open its settings window.",
            "[SingleInstance] Reopen request received.",
            "(tray item made)",
            "PointerDeviceManager: Observation started and initial devices processed. "
            "Initialization complete.",
            "[AppDelegate] Called PointerDeviceManager.shared.startObservation()",
            "[AppDelegate] Applying saved settings to devices after startup",
            "[StatusBarController] No system tray is available; opening the settings window so "
            "that Veloquill can be reached.",
            "[AppDelegate] Application will terminate. Restoring pointer settings.",
            "[PointerDeviceManager] Attempting to restore initial pointer settings for 1 devices.",
            "[PointerDeviceManager] stopObservation: Stopping IOKit listening. Device list will "
            "persist.",
            "[AppDelegate] Called PointerDeviceManager.shared.stopObservation()",
        }));
}

TEST(AppDelegate, ReopenShowsSettingsOnlyWithoutVisibleWindowsAndAnEarlyQuitAppliesNothing)
{
    DelegateOnSimulatedDevices app;
    app.delegate.applicationDidFinishLaunching();
    EXPECT_TRUE(app.delegate.applicationShouldHandleReopen(true));
    EXPECT_EQ(app.settingsShown, 0);
    EXPECT_TRUE(app.delegate.applicationShouldHandleReopen(false));
    EXPECT_EQ(app.settingsShown, 1);

    app.delegate.applicationWillTerminate();
    test::runMainLoopFor(AppDelegate::SavedSettingsDelayMs * 2);
    EXPECT_EQ(app.settings, nullptr);
    EXPECT_EQ(app.settingsShown, 1);
    EXPECT_EQ(app.resolution(), HidPropertyValue::integer(400 * 65536));
}

TEST(TerminationSignals, EachSignalArrivesOnTheMainLoop)
{
    TerminationSignals signals;
    std::vector<int> received;
    QObject::connect(&signals, &TerminationSignals::terminationRequested,
                     [&](int signalNumber) { received.push_back(signalNumber); });
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        ASSERT_EQ(::raise(signalNumber), 0);
        ASSERT_TRUE(test::runMainLoopUntil([&] { return !received.empty(); }));
        EXPECT_EQ(received.back(), signalNumber);
        received.clear();
    }
}
