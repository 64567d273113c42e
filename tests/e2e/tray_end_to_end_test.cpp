// The real program on a small real desktop (Xvfb, openbox, a trayer panel), worked through
// its tray icon with the pointer and the keyboard the way a person would.
#include "desktop_session.h"
#include "menu_item_centres.h"
#include "screen_robot.h"
#include "settings/device_specific_settings.h"
#include "settings/qsettings_defaults_store.h"
#include "settings/veloquill_pointer_settings_state.h"
#include "tray_program.h"
#include "wait_until.h"
#include "x_driver.h"
#include "xvfb_server.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <map>
#include <memory>
#include <optional>

using namespace veloquill;
using namespace veloquill::test;

namespace {
const QString kMouse = QStringLiteral("Xvfb mouse");
const QString kMouseStableID = QStringLiteral("0-0-Xvfb mouse-N/A");
const QString kStarted =
    QStringLiteral("[AppDelegate] Called PointerDeviceManager.shared.startObservation()");
const QString kStopped =
    QStringLiteral("[AppDelegate] Called PointerDeviceManager.shared.stopObservation()");
const QString kTerminating =
    QStringLiteral("[AppDelegate] Application will terminate. Restoring pointer settings.");
const QString kWindowLoadedDevice =
    QStringLiteral("PointerControlView.onAppear (asyncAfter): Calling "
                   "settingsState.ensureDeviceSelectionAndLoadSettings()");
const QString kSettingsTitle = QStringLiteral("Veloquill Settings");
const QString kAboutTitle = QStringLiteral("About Veloquill");
const QString kMatrix = QStringLiteral("Coordinate Transformation Matrix");
const QString kAccelProfile = QStringLiteral("Device Accel Profile");
const QStringList kTouchedProperties = {kMatrix, QStringLiteral("Device Accel Velocity Scaling"),
                                        kAccelProfile};

// The tray menu's items, top to bottom, between its separators.
enum class MenuItem
{
    Settings,
    StartAtLogin,
    About,
    Quit
};
constexpr int kMenuItemCount = 4;

// Tab presses from where the settings window puts the keyboard when it opens, in its
// keyboard order: the device choice, the auto-switch switch, the preferred name, the
// acceleration switch, then in each slider row its help button, slider and number field.
constexpr int kTabsToAccelerationSwitch = 4;
constexpr int kTabsToSpeedSlider = 9;

std::map<QString, QStringList> touchedProperties(const QString& display, int device)
{
    std::map<QString, QStringList> all = xinputListProps(display, device);
    std::map<QString, QStringList> touched;
    for (const QString& name : kTouchedProperties)
        touched[name] = all[name];
    return touched;
}

double matrixScale(const QString& display, int device)
{
    const QStringList matrix = xinputListProps(display, device)[kMatrix];
    return matrix.size() == 9 ? matrix[0].toDouble() : 0.0;
}

// The mouse's record as the program stored it, read back the way the program reads it.
std::optional<DeviceSpecificSettings> storedMouseRecord(const QString& settingsFile)
{
    if (!QFile::exists(settingsFile))
        return std::nullopt;
    const QSettingsDefaultsStore store(settingsFile);
    const std::optional<QByteArray> data =
        store.data(VeloquillPointerSettingsState::DeviceSettingsKey);
    if (!data)
        return std::nullopt;
    const DeviceSettingsDecoding decoded = decodeDeviceSettingsTable(*data);
    if (!decoded.table || !decoded.table->contains(kMouseStableID))
        return std::nullopt;
    return decoded.table->value(kMouseStableID);
}

// Pictures for the documentation, kept only when asked for, so that test runs leave the
// source tree alone.
void keepScreenshot(const QImage& picture, const QString& name)
{
    if (qEnvironmentVariable("VELOQUILL_UPDATE_SCREENSHOTS") != QLatin1String("1"))
        return;
    const QString folder = QStringLiteral(VELOQUILL_SOURCE_DIR "/docs/screenshots");
    QDir().mkpath(folder);
    EXPECT_TRUE(picture.save(folder + '/' + name)) << name.toStdString();
}

class TrayEndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QStringList missing = DesktopSession::missingPrograms();
        for (const QString& program : {QStringLiteral("Xvfb"), QStringLiteral("xinput")}) {
            if (QStandardPaths::findExecutable(program).isEmpty())
                missing.append(program);
        }
        if (!missing.isEmpty())
            GTEST_SKIP() << "not installed: " << missing.join(", ").toStdString();

        m_server = std::make_unique<XvfbServer>();
        ASSERT_TRUE(m_server->isRunning());
        m_robot = std::make_unique<ScreenRobot>(m_server->displayName());
        m_desktop = std::make_unique<DesktopSession>(m_server->displayName(), *m_robot);
        ASSERT_TRUE(m_desktop->isReady()) << m_desktop->failure().toStdString();

        XDriver driver(display());
        m_mouse = driver.deviceId(kMouse);
        ASSERT_GE(m_mouse, 0);
        m_untouched = touchedProperties(display(), m_mouse);

        m_program = std::make_unique<TrayProgram>(VELOQUILL_BINARY, display());
        ASSERT_TRUE(m_program->waitForLine(kStarted)) << m_program->tail();
        ASSERT_TRUE(waitUntil([&] { return m_robot->trayIcon(pid()).has_value(); }))
            << "the tray icon never docked in the panel\n"
            << m_program->tail();
    }

    void TearDown() override
    {
        m_program.reset();
        m_desktop.reset();
        m_robot.reset();
        m_server.reset();
    }

    QString display() const { return m_server->displayName(); }
    qint64 pid() const { return m_program->pid(); }

    // Clicks the tray icon until its menu is up (a click that lands while the panel is still
    // laying the icon out is lost).
    void openTrayMenu(ScreenWindow& menu)
    {
        const auto shownMenu = [&]() -> std::optional<ScreenWindow> {
            for (const ScreenWindow& popup : m_robot->popups(pid())) {
                if (!popup.isTooltip)
                    return popup;
            }
            return std::nullopt;
        };
        constexpr int kAttempts = 3;
        for (int attempt = 0; attempt < kAttempts && !shownMenu(); ++attempt) {
            const std::optional<QRect> icon = m_robot->trayIcon(pid());
            ASSERT_TRUE(icon.has_value());
            m_robot->click(icon->center());
            waitUntil([&] { return shownMenu().has_value(); }, 5000);
        }
        ASSERT_TRUE(shownMenu().has_value()) << "clicking the tray icon shows no menu";
        menu = *shownMenu();
    }

    void chooseFromTrayMenu(MenuItem item, const QString& screenshotName = {})
    {
        ScreenWindow menu;
        ASSERT_NO_FATAL_FAILURE(openTrayMenu(menu));
        const QImage picture = settledCapture(menu.geometry);
        const QList<int> centres = menuItemCentres(picture);
        ASSERT_EQ(centres.size(), kMenuItemCount) << "items between separators in the tray menu";
        if (!screenshotName.isEmpty()) {
            const QRect panel = m_robot->trayPanel().value_or(QRect());
            const QRect around = menu.geometry.united(panel).adjusted(-40, 0, 0, 40);
            keepScreenshot(settledCapture(around), screenshotName);
        }
        m_robot->click(menu.geometry.topLeft() +
                       QPoint(menu.geometry.width() / 2, centres[static_cast<int>(item)]));
        ASSERT_TRUE(waitUntil([&] { return m_robot->popups(pid()).isEmpty(); }))
            << "the tray menu stayed open";
    }

    // The window once it is on screen and has the keyboard.
    void waitForWindow(const QString& title, ScreenWindow& window)
    {
        std::optional<ScreenWindow> found;
        ASSERT_TRUE(waitUntil([&] {
            found = m_robot->managedWindow(pid(), title);
            return found && m_robot->hasKeyboardFocus(found->id);
        })) << title.toStdString()
            << " did not come up with the keyboard\n"
            << m_program->tail();
        window = *found;
    }

    // A picture of the area once nothing in it moves any more (animations, first paints).
    QImage settledCapture(const QRect& area)
    {
        QImage previous = m_robot->capture(area);
        QImage current;
        waitUntil(
            [&] {
                runMainLoopFor(100);
                current = m_robot->capture(area);
                const bool same = current == previous;
                previous = current;
                return same;
            },
            5000);
        return current;
    }

    std::unique_ptr<XvfbServer> m_server;
    std::unique_ptr<ScreenRobot> m_robot;
    std::unique_ptr<DesktopSession> m_desktop;
    std::unique_ptr<TrayProgram> m_program;
    int m_mouse = -1;
    std::map<QString, QStringList> m_untouched;
};
} // namespace

TEST_F(TrayEndToEnd, SpeedSetInTheSettingsWindowReachesTheMouseAndQuitPutsItBack)
{
    QElapsedTimer elapsed;
    elapsed.start();

    ASSERT_NO_FATAL_FAILURE(chooseFromTrayMenu(MenuItem::Settings, "tray-menu.png"));
    ScreenWindow settings;
    ASSERT_NO_FATAL_FAILURE(waitForWindow(kSettingsTitle, settings));
    EXPECT_EQ(settings.geometry.size(), QSize(580, 480));
    keepScreenshot(settledCapture(settings.frameGeometry()), "settings-acceleration-on.png");

    // Once the window has made sure of its device (the mouse, at the default speed), a
    // faster speed.
    ASSERT_TRUE(m_program->waitForLine(kWindowLoadedDevice)) << m_program->tail();
    const double scaleBefore = matrixScale(display(), m_mouse);
    m_robot->pressKey("Tab", kTabsToSpeedSlider);
    m_robot->pressKey("Prior");

    ASSERT_TRUE(waitUntil([&] { return matrixScale(display(), m_mouse) != scaleBefore; }))
        << "the speed slider's Page Up did not reach the mouse\n"
        << m_program->tail();
    EXPECT_GT(matrixScale(display(), m_mouse), scaleBefore) << "a faster pointer moves further";
    std::optional<DeviceSpecificSettings> record;
    ASSERT_TRUE(waitUntil([&] {
        record = storedMouseRecord(m_program->settingsFile());
        return record && record->pointerSpeed > 0.5;
    })) << "no stored record with the new speed for "
        << kMouseStableID.toStdString();
    // One page of the slider: a tenth of its range up from the default 0.5.
    EXPECT_NEAR(record->pointerSpeed, 0.6, 1e-9);
    EXPECT_EQ(record->pointerAcceleration, 1.0);
    EXPECT_FALSE(record->pointerDisableAcceleration);

    ASSERT_NO_FATAL_FAILURE(chooseFromTrayMenu(MenuItem::Quit));
    ASSERT_TRUE(m_program->waitForExit()) << m_program->tail();
    EXPECT_EQ(m_program->process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_program->process().exitCode(), 0);
    const QStringList lines = m_program->output();
    EXPECT_TRUE(lines.contains(kTerminating));
    EXPECT_EQ(lines.last(), kStopped);
    EXPECT_EQ(xinputListProps(display(), m_mouse)[kMatrix],
              QStringList({"1.000000", "0.000000", "0.000000", "0.000000", "1.000000", "0.000000",
                           "0.000000", "0.000000", "1.000000"}));
    EXPECT_EQ(touchedProperties(display(), m_mouse), m_untouched);
    // Shown, not asserted: how long a whole session through the tray takes here.
    RecordProperty("milliseconds", static_cast<int>(elapsed.elapsed()));
}

TEST_F(TrayEndToEnd, AccelerationSwitchHelpPanelAndAboutWindowFromTheTray)
{
    ASSERT_NO_FATAL_FAILURE(chooseFromTrayMenu(MenuItem::Settings));
    ScreenWindow settings;
    ASSERT_NO_FATAL_FAILURE(waitForWindow(kSettingsTitle, settings));
    ASSERT_TRUE(m_program->waitForLine(kWindowLoadedDevice)) << m_program->tail();

    m_robot->pressKey("Tab", kTabsToAccelerationSwitch);
    m_robot->pressKey("space");
    ASSERT_TRUE(waitUntil([&] {
        return xinputListProps(display(), m_mouse)[kAccelProfile] == QStringList{"-1"};
    })) << "turning acceleration off did not reach the mouse\n"
        << m_program->tail();
    std::optional<DeviceSpecificSettings> record;
    ASSERT_TRUE(waitUntil([&] {
        record = storedMouseRecord(m_program->settingsFile());
        return record && record->pointerDisableAcceleration;
    }));
    keepScreenshot(settledCapture(settings.frameGeometry()), "settings-acceleration-off.png");

    // With acceleration off the next control is the "Tracking speed" row's help button.
    m_robot->pressKey("Tab");
    m_robot->pressKey("space");
    std::optional<ScreenWindow> panel;
    ASSERT_TRUE(waitUntil([&] {
        for (const ScreenWindow& popup : m_robot->popups(pid())) {
            if (!popup.isTooltip)
                panel = popup;
        }
        return panel.has_value();
    })) << "the help button opened no panel";
    // The 450 x 250 scrolling area inside a thin frame.
    EXPECT_GE(panel->geometry.width(), 450);
    EXPECT_LE(panel->geometry.width(), 460);
    EXPECT_GE(panel->geometry.height(), 250);
    EXPECT_LE(panel->geometry.height(), 260);
    keepScreenshot(
        settledCapture(settings.frameGeometry().united(panel->geometry).adjusted(0, 0, 12, 0)),
        "help-popover.png");
    m_robot->pressKey("Escape");
    EXPECT_TRUE(waitUntil([&] { return m_robot->popups(pid()).isEmpty(); }))
        << "Escape left the help panel open";

    ASSERT_NO_FATAL_FAILURE(chooseFromTrayMenu(MenuItem::About));
    ScreenWindow about;
    ASSERT_NO_FATAL_FAILURE(waitForWindow(kAboutTitle, about));
    EXPECT_EQ(about.geometry.size(), QSize(500, 600));
    EXPECT_EQ(about.fixedSize, QSize(500, 600)) << "the About window is not resizable";
    keepScreenshot(settledCapture(about.frameGeometry()), "about-window.png");
}
