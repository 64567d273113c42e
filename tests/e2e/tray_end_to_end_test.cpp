// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The real program against a real X server: on a small real desktop (Xvfb, the openbox window
// manager, a trayer panel), worked through its tray icon with the pointer and the keyboard as
// a person would; and alone on an Xvfb, for how it starts and ends.
#include "screen_robot.h"
#include "support/blocking_paths.h"
#include "support/display_name.h"
#include "support/required_programs.h"
#include "veloquill_process.h"
#include "x_driver.h"
#include "xorg_server.h"
#include "xvfb_server.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <cmath>
#include <memory>
#include <optional>

using namespace veloquill;
using namespace veloquill::test;

namespace {
// On the X display, with Qt's own look and no session bus: the tray icon docks by XEmbed.
QList<std::pair<QString, QString>> onDisplay(const QString& name,
                                             QList<std::pair<QString, QString>> more = {})
{
    more.append({"DISPLAY", name});
    return more;
}

const QString kMouseID = "0-0-Xvfb mouse-N/A", kXtestID = "0-0-Virtual core XTEST pointer-N/A";
const QString kAsking = "Holding the stored record of 0-0-Xvfb mouse-N/A at its settled values "
                        "until the change is kept.";
const QString kWindowLoadedDevice = "PointerControlView.onAppear (asyncAfter): Calling "
                                    "settingsState.ensureDeviceSelectionAndLoadSettings()";
const QString kMatrix = "Coordinate Transformation Matrix";
// The speed's setting on each kind of device: the X server divides motion by its constant
// deceleration (1 / gain); libinput's flat speed is gain − 1.
const QString kDeceleration = "Device Accel Constant Deceleration";
const QString kLibinputSpeed = "libinput Accel Speed";
double gainOf(const std::map<QString, QStringList>& properties)
{
    if (properties.count(kLibinputSpeed))
        return 1 + properties.at(kLibinputSpeed).value(0).toDouble();
    const auto deceleration = properties.find(kDeceleration);
    return deceleration == properties.end() ? 0 : 1 / deceleration->second.value(0).toDouble();
}

// The tray menu's items by the Down presses that reach them (separators are passed over).
constexpr int kSettingsItem = 1, kPrecisionItem = 2, kAboutItem = 4, kQuitItem = 5;

// Tab presses from where the settings window puts the keyboard when it opens, the selected
// device's row, in its keyboard order: the auto-switch switch, the preferred name, the
// acceleration switch, then in each slider row its help button, −, slider, + and number field.
constexpr int kTabsToAccelerationSwitch = 3;
constexpr int kTabsToSpeedSlider = 11;

// Pictures for the documentation, kept only when asked for, so that test runs leave the
// source tree alone.
void keepScreenshot(const QImage& picture, const QString& name)
{
    if (qEnvironmentVariable("VELOQUILL_UPDATE_SCREENSHOTS") != "1")
        return;
    QDir().mkpath(VELOQUILL_SOURCE_DIR "/docs/screenshots");
    EXPECT_TRUE(picture.save(VELOQUILL_SOURCE_DIR "/docs/screenshots/" + name));
}

// An Xvfb whose two pointers have their originals, and a home in which the program's stored
// settings select one of them (at `speed`, acceleration on).
struct DeskWithOriginals
{
    explicit DeskWithOriginals(float scale, const QString& selected = kMouseID, double speed = 0.75)
    {
        mouse = driver.deviceId("Xvfb mouse");
        xtest = driver.deviceId("Virtual core XTEST pointer");
        // The values the user or another program gave the devices before Veloquill started,
        // none of them a default: the Xvfb mouse, accelerated by the server, with acceleration
        // off; the core XTEST pointer with made-up libinput properties, on the flat profile; the
        // server's own acceleration at 7/2 from 5 counts on.
        for (int device : {mouse, xtest})
            driver.setFloatProperty(device, kMatrix, {scale, 0, 0, 0, scale, 0, 0, 0, 1});
        driver.setIntegerProperty(mouse, "Device Accel Profile", 32, {-1});
        driver.setFloatProperty(mouse, "Device Accel Velocity Scaling", {3.3f});
        driver.setFloatProperty(mouse, kDeceleration, {2});
        driver.setFloatProperty(xtest, kLibinputSpeed, {0.3f});
        driver.setIntegerProperty(xtest, "libinput Accel Profiles Available", 8, {1, 1});
        driver.setIntegerProperty(xtest, "libinput Accel Profile Enabled", 8, {0, 1});
        driver.setPointerControl(7, 2, 5);
        originals = properties();
        storeSettings(home.path(), {{selected, {speed, 1.0, false}}}, selected);
    }
    std::vector<std::map<QString, QStringList>> properties() const
    {
        XDriver reader(server.displayName());
        return {
            xinputListProps(server.displayName(), mouse),
            xinputListProps(server.displayName(), xtest),
            {{"xset m", {reader.pointerControl()}}, {"feedback", {reader.pointerFeedback(mouse)}}}};
    }
    std::unique_ptr<VeloquillProcess> start(const QStringList& arguments = {
                                                "--include-virtual-devices"}) const
    {
        return std::make_unique<VeloquillProcess>(home.path(), onDisplay(server.displayName()),
                                                  arguments);
    }
    // Started, and the stored settings have reached the selected device.
    bool applied(VeloquillProcess& program) const
    {
        return program.waitForLine(kStarted) &&
               runMainLoopUntil([&] { return properties() != originals; });
    }
    bool hasJournal() const
    {
        return !QDir(home.path()).entryList({"veloquill-restore-*.json"}).isEmpty();
    }

    XvfbServer server;
    XDriver driver{server.displayName()};
    QTemporaryDir home;
    int mouse = -1, xtest = -1;
    std::vector<std::map<QString, QStringList>> originals;
};

class TrayEndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(requirePrograms({{"Xvfb", "xvfb"},
                                                 {"openbox", "openbox"},
                                                 {"trayer", "trayer"},
                                                 {"xinput", "xinput"}}));
        m_desk = std::make_unique<DeskWithOriginals>(0.5f, kMouseID, 0.5);
        ASSERT_TRUE(m_desk->server.isRunning());
        m_robot = std::make_unique<ScreenRobot>(display());
        // Openbox with a home of its own, its output shown if it fails. It starts the trayer panel
        // once it manages new windows (it announces itself before that, and a window mapped in
        // between is never shown): a small dark panel at the top right, where a tray icon must
        // stay readable.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", display());
        for (const char* variable : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"})
            environment.insert(variable, m_desktopHome.path());
        m_desktop.setProcessEnvironment(environment);
        m_desktop.setProcessChannelMode(QProcess::MergedChannels);
        m_desktop.start("openbox", {"--startup", "trayer --edge top --align right --widthtype "
                                                 "pixel --width 120 --height 28 --expand false "
                                                 "--transparent true --alpha 0 --tint 0x303030"});
        ASSERT_TRUE(runMainLoopUntil([&] { return m_robot->hasTrayHost(); }, 15000))
            << "openbox did not start the trayer panel: " << m_desktop.readAll().toStdString();

        // The robot's clicks go through the XTEST pointer as absolute motion, which its
        // matrix would place elsewhere. The mouse's record is at the program's defaults.
        m_desk->driver.setFloatProperty(m_desk->xtest, kMatrix, {1, 0, 0, 0, 1, 0, 0, 0, 1});
        m_desk->originals = m_desk->properties();
        m_program = m_desk->start({});
        ASSERT_TRUE(m_program->waitForLine(kStarted));
        ASSERT_TRUE(m_program->waitUntil([&] { return m_robot->trayIcon(pid()).has_value(); }))
            << "the tray icon never docked in the panel";
    }

    void TearDown() override
    {
        m_program.reset();     // before the desktop and the display go
        m_desktop.terminate(); // the panel ends with the display
        m_desktop.waitForFinished();
    }

    QString display() const { return m_desk->server.displayName(); }
    qint64 pid() const { return m_program->pid(); }
    double speedGain() const { return gainOf(m_desk->properties()[0]); }
    // The mouse's record as the program stored it, read back the way the program reads it.
    std::optional<DeviceSpecificSettings> storedRecord() const
    {
        const auto data = QSettingsDefaultsStore(m_program->settingsFile())
                              .data(VeloquillPointerSettingsState::DeviceSettingsKey);
        const auto table = data ? decodeDeviceSettingsTable(*data).table : std::nullopt;
        if (!table || !table->contains(kMouseID))
            return std::nullopt;
        return table->value(kMouseID);
    }

    // Clicks the tray icon until its menu is up (a click that lands while the panel is still
    // laying the icon out is lost), then picks the item with the keyboard.
    void chooseFromTrayMenu(int item, const QString& screenshotName = {})
    {
        for (int attempt = 0; attempt < 3 && m_robot->popups(pid()).isEmpty(); ++attempt) {
            m_robot->click(m_robot->trayIcon(pid()).value_or(QRect()).center());
            runMainLoopUntil([&] { return !m_robot->popups(pid()).isEmpty(); }, 2000);
        }
        ASSERT_FALSE(m_robot->popups(pid()).isEmpty()) << "clicking the tray icon shows no menu";
        const QRect menu = m_robot->popups(pid()).first().geometry;
        // The menu below the panel along the top of the screen, with a margin of the desktop,
        // at least as wide as AppStream wants pictures (620 px).
        QRect area =
            menu.united(m_robot->trayIcon(pid()).value_or(QRect())).adjusted(-40, 0, 0, 40);
        area.setTop(0);
        area.setLeft(qMin(area.left(), area.right() + 1 - 620));
        const QImage picture = settledCapture(area);
        if (!screenshotName.isEmpty())
            keepScreenshot(picture, screenshotName);
        m_robot->pressKey("Down", item);
        m_robot->pressKey("Return");
        ASSERT_TRUE(runMainLoopUntil([&] { return m_robot->popups(pid()).isEmpty(); }))
            << "the tray menu stayed open";
    }

    // The window once it is on screen and has the keyboard.
    ScreenWindow window(const QString& title)
    {
        std::optional<ScreenWindow> found;
        EXPECT_TRUE(m_program->waitUntil([&] {
            return (found = m_robot->focusedWindow(pid(), title)).has_value();
        })) << title.toStdString()
            << " did not come up with the keyboard";
        return found.value_or(ScreenWindow());
    }

    // A picture of the area once nothing in it moves any more (animations, first paints).
    QImage settledCapture(const QRect& area)
    {
        QImage previous = m_robot->capture(area);
        QImage current;
        runMainLoopUntil([&] {
            runMainLoopFor(100);
            current = m_robot->capture(area);
            return std::exchange(previous, current) == current;
        });
        return current;
    }

    QTemporaryDir m_desktopHome;
    std::unique_ptr<DeskWithOriginals> m_desk;
    std::unique_ptr<ScreenRobot> m_robot;
    QProcess m_desktop;
    std::unique_ptr<VeloquillProcess> m_program;
};
} // namespace

TEST_F(TrayEndToEnd, SpeedSetInTheSettingsWindowReachesTheMouseAndQuitPutsItBack)
{
    ASSERT_NO_FATAL_FAILURE(chooseFromTrayMenu(kSettingsItem, "tray-menu.png"));
    const ScreenWindow settings = window("Veloquill Settings");
    keepScreenshot(settledCapture(settings.frameGeometry()), "settings-acceleration-on.png");

    // Once the window has made sure of its device (the mouse, at the default speed), one
    // page of the speed slider up: a tenth of its range from the default 0.5.
    ASSERT_TRUE(m_program->waitForLine(kWindowLoadedDevice));
    const double scaleBefore = speedGain();
    m_robot->pressKey("Tab", kTabsToSpeedSlider);
    m_robot->pressKey("Prior");
    ASSERT_TRUE(m_program->waitUntil([&] { return speedGain() != scaleBefore; }))
        << "the speed slider's Page Up did not reach the mouse";
    EXPECT_GT(speedGain(), scaleBefore) << "a faster pointer moves further";
    std::optional<DeviceSpecificSettings> record;
    ASSERT_TRUE(runMainLoopUntil([&] {
        return (record = storedRecord()) && record->pointerSpeed > 0.5;
    })) << "no stored record with the new speed";
    EXPECT_NEAR(record->pointerSpeed, 0.6, 1e-9);
    EXPECT_EQ(record->pointerAcceleration, 1.0);
    EXPECT_FALSE(record->pointerDisableAcceleration);

    ASSERT_NO_FATAL_FAILURE(chooseFromTrayMenu(kQuitItem));
    ASSERT_TRUE(m_program->exitedCleanly());
    EXPECT_EQ(m_desk->properties(), m_desk->originals);
}

// A logout while the question is open: the devices get their originals back too.
TEST_F(TrayEndToEnd, SignalWhileAskedLeavesTheSettledRecordWhichTheNextStartApplies)
{
    ASSERT_NO_FATAL_FAILURE(chooseFromTrayMenu(kSettingsItem));
    const ScreenWindow settings = window("Veloquill Settings");
    ASSERT_TRUE(m_program->waitForLine(kWindowLoadedDevice));
    m_robot->pressKey("Tab", kTabsToSpeedSlider);
    m_robot->pressKey("Home");
    ASSERT_TRUE(m_program->waitForLine(kAsking));
    keepScreenshot(settledCapture(settings.frameGeometry()), "settings-question.png");
    EXPECT_EQ(storedRecord().value_or(DeviceSpecificSettings{}).pointerSpeed, 0.5);
    ASSERT_TRUE(m_program->quit());
    EXPECT_EQ(m_desk->properties(), m_desk->originals);

    m_program = m_desk->start({});
    ASSERT_TRUE(m_program->waitForOutput("[APPLY CONFIRM]"));
    QStringList loadedAndApplied = m_program->output().filter("  - Speed: ");
    loadedAndApplied.removeDuplicates();
    EXPECT_EQ(loadedAndApplied, QStringList{"  - Speed: 0.5"});
}

TEST_F(TrayEndToEnd, PrecisionFromTheTrayAsksInTheSettingsWindowAndEscapeSwitchesItOff)
{
    ASSERT_NO_FATAL_FAILURE(chooseFromTrayMenu(kPrecisionItem));
    ASSERT_TRUE(m_program->waitForLine("VeloquillPointerSettingsState: [PRECISION] on"));
    window("Veloquill Settings");
    ASSERT_TRUE(m_program->waitForLine(kAsking));
    m_robot->pressKey("Escape");
    EXPECT_TRUE(m_program->waitForLine("VeloquillPointerSettingsState: [PRECISION] off"));
}

// With acceleration off, "Tracking speed" is the pointer's speed: its slider moves the mouse,
// and switching acceleration off or on never changes the speed by itself.
TEST_F(TrayEndToEnd, SecondStartShowsTheSettingsWindowThenTrackingSpeedHelpAndAboutWork)
{
    EXPECT_TRUE(VeloquillProcess(m_desk->home.path(), onDisplay(display())).exitedCleanly());
    const ScreenWindow settings = window("Veloquill Settings");
    ASSERT_TRUE(m_program->waitForLine(kWindowLoadedDevice));
    const auto accelerationOff = [&] {
        return m_desk->properties()[0]["Device Accel Profile"] == QStringList{"-1"};
    };
    ASSERT_TRUE(runMainLoopUntil([&] { return !accelerationOff(); }));
    const double scaleBefore = speedGain();

    // Off, on and off again: the mouse keeps its speed throughout.
    m_robot->pressKey("Tab", kTabsToAccelerationSwitch);
    for (const bool off : {true, false, true}) {
        m_robot->pressKey("space");
        ASSERT_TRUE(m_program->waitUntil([&] { return accelerationOff() == off; }))
            << "turning acceleration " << (off ? "off" : "on") << " did not reach the mouse";
        EXPECT_EQ(speedGain(), scaleBefore) << "switching acceleration changed the speed";
    }
    EXPECT_TRUE(runMainLoopUntil([&] {
        return storedRecord().value_or(DeviceSpecificSettings{}).pointerDisableAcceleration;
    }));
    keepScreenshot(settledCapture(settings.frameGeometry()), "settings-acceleration-off.png");

    // With acceleration off the next control is the "Tracking speed" row's help button; its
    // panel is a window of its own that takes the keyboard, 450 x 250 of text over a 44 px
    // Close button inside a thin frame, and Escape gives the keyboard back to the settings
    // window.
    m_robot->pressKey("Tab");
    m_robot->pressKey("space");
    const ScreenWindow panel = window("Help: Tracking speed");
    EXPECT_TRUE(panel.geometry.width() >= 450 && panel.geometry.width() <= 460)
        << panel.geometry.width();
    EXPECT_TRUE(panel.geometry.height() >= 294 && panel.geometry.height() <= 320)
        << panel.geometry.height();
    keepScreenshot(
        settledCapture(settings.frameGeometry().united(panel.geometry).adjusted(0, 0, 12, 0)),
        "help-popover.png");
    m_robot->pressKey("Escape");
    window("Veloquill Settings");

    // Past − to the "Tracking speed" slider; Page Up: a tenth faster.
    m_robot->pressKey("Tab", 2);
    m_robot->pressKey("Prior");
    ASSERT_TRUE(m_program->waitUntil([&] { return speedGain() > scaleBefore; }))
        << "the Tracking speed slider did not reach the mouse";

    ASSERT_NO_FATAL_FAILURE(chooseFromTrayMenu(kAboutItem));
    const ScreenWindow about = window("About Veloquill");
    EXPECT_EQ(about.fixedSize, QSize(500, 600)) << "the About window is not resizable";
    keepScreenshot(settledCapture(about.frameGeometry()), "about-window.png");
}

TEST_F(TrayEndToEnd, AtScaleTwoTheSettingsWindowFitsTheScreenAndTheKeyboardReachesTheSpeed)
{
    m_program = std::make_unique<VeloquillProcess>(
        m_desk->home.path(), onDisplay(display(), {{"QT_SCALE_FACTOR", "2"}}));
    ASSERT_TRUE(m_program->waitForLine(kStarted));
    EXPECT_TRUE(VeloquillProcess(m_desk->home.path(), onDisplay(display())).exitedCleanly());
    const ScreenWindow settings = window("Veloquill Settings");
    ASSERT_TRUE(m_program->waitForLine(kWindowLoadedDevice));
    std::optional<ScreenWindow> framed;
    EXPECT_TRUE(runMainLoopUntil([&] {
        framed = m_robot->focusedWindow(pid(), "Veloquill Settings");
        return framed && QRect(0, 0, 1280, 1024).contains(framed->frameGeometry());
    })) << "the window is larger than the screen";

    const double scaleBefore = speedGain();
    m_robot->pressKey("Tab", kTabsToSpeedSlider);
    m_robot->pressKey("Prior");
    EXPECT_TRUE(m_program->waitUntil([&] { return speedGain() > scaleBefore; }))
        << "the speed slider could not be reached";
    // The question scrolled into view with the slider that asked it.
    m_robot->pressKey("Home");
    ASSERT_TRUE(m_program->waitForLine(kAsking));
    keepScreenshot(settledCapture(framed.value_or(settings).frameGeometry()),
                   "settings-scale-2.png");
    m_robot->pressKey("Escape");

    // The menu at this scale too, for software centres.
    ASSERT_NO_FATAL_FAILURE(chooseFromTrayMenu(kAboutItem, "tray-menu-scale-2.png"));
    window("About Veloquill");
}

// The program alone on an Xvfb of each test's.
using VeloquillProgram = ::testing::Test;

TEST_F(VeloquillProgram, WithoutADisplaySaysWhyInOneLineAndFails)
{
    QTemporaryDir home;
    VeloquillProcess program(home.path(), {});
    ASSERT_TRUE(program.waitForEnd());
    EXPECT_EQ(program.process().exitStatus(), QProcess::NormalExit);
    EXPECT_NE(program.process().exitCode(), 0);
    const QString errors = QString::fromUtf8(program.process().readAllStandardError()).trimmed();
    EXPECT_TRUE(errors.startsWith("veloquill: cannot control pointer devices: no X display"));
    EXPECT_FALSE(errors.contains('\n')) << errors.toStdString();
}

// The mouse's pointer feedback comes back too. The matrices the user set, far outside the
// speed range and a degenerate one too, stay as they are throughout.
TEST_F(VeloquillProgram, EndedByASignalPutsEveryPropertyOfEveryDeviceBackExactlyAsFound)
{
    const std::tuple<int, float, QString> cases[] = {{SIGTERM, 0.5f, kMouseID},
                                                     {SIGINT, 0.1f, kXtestID},
                                                     {SIGHUP, 50, kMouseID},
                                                     {SIGTERM, 50, kXtestID},
                                                     {SIGINT, 0, kMouseID}};
    for (const auto& [signal, scale, selected] : cases) {
        SCOPED_TRACE(testing::Message() << signal << " " << scale << " " << selected.toStdString());
        DeskWithOriginals desk(scale, selected);
        auto program = desk.start();
        ASSERT_TRUE(desk.applied(*program)) << program->tail();
        EXPECT_TRUE(desk.hasJournal()) << "the originals are not kept against a crash";
        ASSERT_TRUE(program->waitForOutput("[APPLY CONFIRM]"));

        // A speed another program set since is its to keep; everything else comes back.
        const int changed = selected == kMouseID ? 0 : 1;
        const QString speed = changed == 0 ? kDeceleration : kLibinputSpeed;
        desk.driver.setFloatProperty(changed == 0 ? desk.mouse : desk.xtest, speed, {0.125f});
        auto expected = desk.originals;
        expected[changed][speed] = desk.properties()[changed][speed];
        ASSERT_TRUE(program->quit(signal));
        EXPECT_EQ(desk.properties(), expected);
        EXPECT_FALSE(desk.hasJournal()) << "a clean quit leaves its journal behind";
    }
}

// `--restore` says exactly what it did: 0 only when every journalled device is back; a journal
// set aside, or one property of it, fails with one line naming what was not put back and
// where the journal's copy is. A journal with one bad property still puts back the rest.
TEST_F(VeloquillProgram, RestoreExitsZeroOnlyWhenEveryDeviceIsBackAndNamesWhatIsNot)
{
    DeskWithOriginals desk(0.5f);
    // A run killed once the stored settings reached the devices: they keep its values.
    auto crashed = desk.start();
    ASSERT_TRUE(desk.applied(*crashed)) << crashed->tail();
    crashed->signal(SIGKILL);
    ASSERT_TRUE(crashed->waitForEnd());
    const auto changed = desk.properties();
    const QString path =
        desk.home.filePath(QDir(desk.home.path()).entryList({"veloquill-restore-*.json"}).value(0));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray journal = file.readAll();
    file.close();
    // The mouse's original constant deceleration, as one no X server holds.
    const QByteArray badDeceleration =
        QString::fromUtf8(journal)
            .replace(QRegularExpression(
                         R"re(("data":")[^"]*(","format":32,"name":"Device Accel Constant))re"),
                     R"(\1AACAvw==\2)")
            .toUtf8();
    ASSERT_NE(badDeceleration, journal);
    const auto place = [&](const QByteArray& content, const QString& kind) {
        QFile::remove(path);
        if (kind == "fifo")
            return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
        if (kind == "folder")
            return QDir().mkdir(path);
        QFile target(kind == "link" ? path + ".target" : path);
        const bool written = target.open(QIODevice::WriteOnly) && target.write(content) >= 0;
        target.close();
        return written && (kind != "link" || QFile::link(path + ".target", path));
    };
    // What is there; how it is made; the status; what the line names.
    const std::vector<std::tuple<QByteArray, QString, int, QString>> rows{
        {{}, "fifo", 1, "what it held"},
        {journal, "link", 1, "what it held"},
        {{}, "folder", 1, "what it held"},
        {badDeceleration, "file", 1, "\"Xvfb mouse\" \"Device Accel Constant Deceleration\""},
        {journal, "file", 0, ""},
    };
    int aside = 0;
    for (const auto& [content, kind, status, named] : rows) {
        SCOPED_TRACE((kind + " " + named).toStdString());
        ASSERT_TRUE(place(content, kind));
        auto restore = desk.start({"--restore"});
        ASSERT_TRUE(restore->waitForEnd());
        EXPECT_EQ(restore->process().exitCode(), status) << restore->tail();
        const QStringList errors = QString::fromUtf8(restore->process().readAllStandardError())
                                       .split('\n', Qt::SkipEmptyParts);
        if (status == 0) {
            EXPECT_EQ(errors, QStringList());
            continue;
        }
        const QString copy =
            path + ".unreadable" + (aside++ ? "." + QString::number(aside - 1) : "");
        ASSERT_EQ(errors.size(), 1);
        EXPECT_TRUE(errors[0].contains(named) && errors[0].contains("(in " + copy + ")"))
            << errors[0].toStdString();
        // Nothing was put back over a journal set aside; the bad value is never written.
        EXPECT_EQ(desk.properties()[0].at(kDeceleration), changed[0].at(kDeceleration));
        EXPECT_TRUE(named.contains("Deceleration") || desk.properties() == changed);
    }
    EXPECT_EQ(desk.properties(), desk.originals);
    // Nothing left to restore is no failure.
    EXPECT_TRUE(desk.start({"--restore"})->exitedCleanly());

    // A run that set a journal aside at start says so at quit too.
    ASSERT_TRUE(place(journal.left(10), "file"));
    auto program = desk.start();
    ASSERT_TRUE(desk.applied(*program)) << program->tail();
    program->signal(SIGTERM);
    ASSERT_TRUE(program->waitForEnd());
    EXPECT_EQ(program->process().exitCode(), 1);
    EXPECT_EQ(
        program->process().readAllStandardError().toStdString(),
        ("veloquill: not put back: what it held (in " + path + ".unreadable.4)\n").toStdString());
    EXPECT_EQ(desk.properties(), desk.originals);
}

// Nothing stored leaves the device at its own speed; a stored speed out of range is bounded,
// never the fastest pointer as the speed formula alone would make -0.5; a stored speed with
// acceleration off reaches the device as well.
TEST_F(VeloquillProgram, SelectedDeviceStartsAtItsOwnSpeedOrAtTheStoredOneBounded)
{
    const std::pair<std::optional<DeviceSpecificSettings>, QString> cases[] = {
        {std::nullopt, "1.000000"},
        {DeviceSpecificSettings{0.0, 1.0, false}, "15.500003"},
        {DeviceSpecificSettings{-0.5, 1.0, false}, "15.500003"},
        {DeviceSpecificSettings{0.25, 1.0, true}, "1.878788"}};
    for (const auto& [record, deceleration] : cases) {
        SCOPED_TRACE(record ? record->pointerSpeed : -999);
        XvfbServer server;
        QTemporaryDir home;
        if (record)
            storeSettings(home.path(), {{kMouseID, *record}});
        VeloquillProcess program(home.path(), onDisplay(server.displayName()));
        ASSERT_TRUE(program.waitForOutput(record ? "[APPLY CONFIRM]" : "[SETTINGS READ]"));
        EXPECT_TRUE(program.output().filter("XTEST pointer").isEmpty()) << "virtual devices listed";
        const int mouse = XDriver(server.displayName()).deviceId("Xvfb mouse");
        EXPECT_EQ(xinputListProps(server.displayName(), mouse)[kDeceleration],
                  QStringList{deceleration});
    }
}

TEST_F(VeloquillProgram, ListsVirtualDevicesOnlyWhenAskedAndSaysWhenItsDisplayGoesBeforeTheRestore)
{
    XvfbServer server;
    QTemporaryDir home;
    XDriver(server.displayName())
        .setFloatProperty(XDriver(server.displayName()).deviceId("Virtual core XTEST pointer"),
                          kLibinputSpeed, {0});
    // A stored speed of the XTEST pointer's own, so that there is something to put back.
    storeSettings(home.path(), {{kXtestID, {0.75, 1.0, false}}}, kXtestID);
    VeloquillProcess program(home.path(), onDisplay(server.displayName()),
                             {"--include-virtual-devices"});
    ASSERT_TRUE(program.waitForOutput("[APPLY CONFIRM]"));
    EXPECT_FALSE(program.output().filter("Virtual core XTEST pointer").isEmpty());

    server.stop();
    // Whichever of the program and Qt notices first ends it, through the restore, not a crash,
    // with the one status of a display that went away.
    ASSERT_TRUE(program.waitForEnd());
    EXPECT_EQ(program.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.process().exitCode(), 1);
    EXPECT_FALSE(program.output().filter("Could not restore").isEmpty()) << program.tail();
    EXPECT_TRUE(program.output().filter("] Restored").isEmpty()) << program.tail();
}

// The journal goes only with the running program, once its devices are back.
TEST_F(VeloquillProgram, OtherSpellingOfTheDisplayReachesTheRunningProgramAndItsRestoreQuitsIt)
{
    DeskWithOriginals desk(0.5f);
    auto running = desk.start();
    ASSERT_TRUE(desk.applied(*running)) << running->tail();
    const QString otherSpelling = "unix" + desk.server.displayName() + ".0";
    VeloquillProcess second(desk.home.path(), onDisplay(otherSpelling));
    EXPECT_TRUE(second.exitedCleanly());
    EXPECT_FALSE(second.output().filter("already running; asked it").isEmpty()) << second.tail();
    VeloquillProcess restore(desk.home.path(), onDisplay(otherSpelling), {"--restore"});
    EXPECT_TRUE(restore.exitedCleanly());
    EXPECT_TRUE(running->exitedCleanly());
    EXPECT_EQ(desk.properties(), desk.originals);
    EXPECT_FALSE(desk.hasJournal());
}

// Precision is a quarter of the record's gain; with no program running the command says so in
// one line and fails.
TEST_F(VeloquillProgram, PrecisionCommandSlowsTheSelectedDeviceAndBackAndAQuitRestoresIt)
{
    DeskWithOriginals desk(0.5f);
    auto alone = desk.start({"--precision", "on"});
    ASSERT_TRUE(alone->waitForEnd());
    EXPECT_EQ(alone->process().exitCode(), 1);
    EXPECT_EQ(QString(alone->process().readAllStandardError()).count('\n'), 1);

    auto program = desk.start();
    ASSERT_TRUE(desk.applied(*program)) << program->tail();
    ASSERT_TRUE(program->waitForOutput("[APPLY CONFIRM]"));
    const auto scale = [&] { return gainOf(desk.properties()[0]); };
    const double recordScale = scale();
    const std::pair<const char*, double> steps[] = {
        {"on", 0.25}, {"on", 0.25}, {"off", 1}, {"toggle", 0.25}, {"toggle", 1}, {"toggle", 0.25}};
    for (const auto& [mode, factor] : steps) {
        EXPECT_TRUE(desk.start({"--precision", mode})->exitedCleanly()) << mode;
        const auto reached = [&] { return std::abs(scale() - recordScale * factor) < 1e-5; };
        EXPECT_TRUE(runMainLoopUntil(reached)) << mode << " " << scale() << " " << recordScale;
    }
    ASSERT_TRUE(program->quit());
    EXPECT_EQ(desk.properties(), desk.originals);
}

TEST_F(VeloquillProgram, WithoutAUsableRuntimeFolderSaysSoInOneLineAndStillApplies)
{
    DeskWithOriginals desk(1.0f);
    for (const QString& folder : {desk.home.filePath("missing"), QString(VELOQUILL_BINARY)}) {
        VeloquillProcess program(
            desk.home.path(), onDisplay(desk.server.displayName(), {{"XDG_RUNTIME_DIR", folder}}));
        ASSERT_TRUE(desk.applied(program)) << program.tail();
        EXPECT_TRUE(QString(program.process().readAllStandardError())
                        .startsWith("veloquill: running without a single-instance check and a "
                                    "crash journal: the runtime folder " +
                                    folder));
        // No journal lands wherever the program happened to be started.
        EXPECT_TRUE(QDir().entryList({"veloquill-restore-*"}).isEmpty());
        EXPECT_TRUE(program.quit());
        EXPECT_EQ(desk.properties(), desk.originals);
    }
}

// A file of the program's own that is a FIFO or a link to /dev/zero only turns its feature
// off: the program starts, saves, applies and opens its window (whose Start at login reads the
// autostart entry), and SIGTERM still ends it and puts the devices back.
TEST_F(VeloquillProgram, FilesThatBlockAnOpenTurnOnlyTheirFeatureOff)
{
    const QString autostart = "autostart/" VELOQUILL_APP_ID;
    const struct
    {
        QStringList paths;
        BlockingPath kind;
        bool reopen; // a second start asks for the window
    } cases[] = {
        {{"Veloquill/Veloquill.conf.lock"}, BlockingPath::Fifo, true},
        {{"Veloquill/Veloquill.conf.lock"}, BlockingPath::LinkToDevZero, true},
        {{"single-instance lock"}, BlockingPath::Fifo, false},
        {{autostart + ".desktop", autostart + "-StartAtLoginHelper.desktop"},
         BlockingPath::Fifo,
         true},
    };
    for (const auto& [paths, kind, reopen] : cases) {
        SCOPED_TRACE(paths.join(' ').toStdString());
        DeskWithOriginals desk(0.5f);
        // No device selected yet: the start selects one and saves, taking the lock.
        QSettingsDefaultsStore(desk.home.filePath("Veloquill/Veloquill.conf"))
            .remove(VeloquillPointerSettingsState::SelectedDeviceIDKey);
        QString display = canonicalDisplayName(desk.server.displayName());
        display.replace(QRegularExpression("[^A-Za-z0-9.]"), "_");
        for (QString path : paths) {
            path.replace("single-instance lock",
                         QString(VELOQUILL_APP_ID "-%1-%2.lock").arg(::getuid()).arg(display));
            QDir().mkpath(QFileInfo(desk.home.filePath(path)).path());
            ASSERT_TRUE(makeBlockingPath(kind, desk.home.filePath(path)));
        }
        auto program = desk.start();
        ASSERT_TRUE(desk.applied(*program)) << program->tail();
        if (reopen) {
            EXPECT_TRUE(desk.start({})->exitedCleanly());
            EXPECT_TRUE(program->waitForLine(kWindowLoadedDevice));
        }
        ASSERT_TRUE(program->quit());
        EXPECT_EQ(desk.properties(), desk.originals);
    }
}

// The twin is a second master of one name. (XTEST devices have no speed setting of their own:
// the tests give them libinput's.)
TEST_F(VeloquillProgram, EveryDeviceWithARecordGetsItTwinsEachAndOneWithoutIsLeftAsItIs)
{
    DeskWithOriginals desk(0.5f);
    XDriver& driver = desk.driver;
    driver.addMaster("Carer");
    const int mouse = desk.mouse, carer = driver.deviceId("Carer XTEST pointer"), own = desk.xtest;
    driver.addMaster("Carer");
    const int twin = driver.deviceId("Carer XTEST pointer"); // the newer of the two
    ASSERT_NE(twin, carer);
    driver.setFloatProperty(carer, kLibinputSpeed, {0});
    driver.setFloatProperty(twin, kLibinputSpeed, {0});
    const auto props = [&](int device) {
        return xinputListProps(desk.server.displayName(), device);
    };
    const auto before = std::vector{props(mouse), props(carer), props(own), props(twin)};
    storeSettings(
        desk.home.path(),
        {{kMouseID, {0.75, 1.0, false}}, {"0-0-Carer XTEST pointer-N/A", {0.25, 1.0, false}}},
        kMouseID);
    const auto program = desk.start();
    const auto scale = [&](int device) { return gainOf(props(device)); };
    EXPECT_TRUE(runMainLoopUntil([&] {
        return std::abs(scale(mouse) - slowMotionGain(0.75)) < 1e-3 &&
               std::abs(scale(carer) - slowMotionGain(0.25)) < 1e-3 && props(twin) == props(carer);
    })) << program->tail();
    EXPECT_EQ(props(own), before[2]) << "a device without a record was written";
    ASSERT_TRUE(program->quit());
    EXPECT_EQ((std::vector{props(mouse), props(carer), props(own), props(twin)}), before);
}

TEST_F(VeloquillProgram, DisplayGoneDuringStartEndsWithStatusZeroOrOneNeverAnAbort)
{
    // Xlib leaks its half-made connection when the server goes during the handshake; what
    // is checked here is how the program ends.
    const QString sanitizer = qEnvironmentVariable("ASAN_OPTIONS") + ":detect_leaks=0";
    for (const int delayMs : {0, 10, 15, 20, 30, 60}) {
        XvfbServer server;
        QTemporaryDir home;
        VeloquillProcess program(home.path(),
                                 onDisplay(server.displayName(), {{"ASAN_OPTIONS", sanitizer}}));
        QThread::msleep(delayMs);
        server.stop();
        ASSERT_TRUE(program.waitForEnd());
        EXPECT_EQ(program.process().exitStatus(), QProcess::NormalExit) << delayMs;
        EXPECT_LE(program.process().exitCode(), 1) << program.tail();
    }
}

// On a real Xorg, the mouse driver's devices move as the speed and acceleration say: each of
// five devices has a record of its own, so one start of the program covers five settings.
// The server's own deceleration and the device's pointer feedback carry them, so warps and
// absolute motion land where they are sent. Quit puts every property and feedback back.
TEST_F(VeloquillProgram, OnARealXorgDevicesMoveAsSetAndWarpsLandWhereSent)
{
    constexpr int kDevices = 5;
    XorgServer server(kDevices);
    if (!server.isRunning())
        GTEST_SKIP() << "no real Xorg: " << server.skipReason().toStdString();
    XDriver driver(server.displayName());
    const auto everything = [&] {
        std::vector<std::map<QString, QStringList>> all;
        for (int device = 0; device < kDevices; ++device) {
            const int id = driver.deviceId(XorgServer::deviceName(device));
            all.push_back(xinputListProps(server.displayName(), id));
            all.back()["feedback"] = QStringList{driver.pointerFeedback(id)};
        }
        return all;
    };
    const auto before = everything();
    // Where the pointer comes to rest after counts sent from a device (bounded waits).
    const auto travel = [&](int device, int dx, int count, int gapMs) {
        driver.placePointer(100, 300);
        server.move(device, dx, 0, count, gapMs);
        QPoint last = driver.pointerPosition();
        for (int still = 0, polls = 0; still < 3 && polls < 60; ++polls) {
            runMainLoopFor(50);
            const QPoint now = driver.pointerPosition();
            still = now == last ? still + 1 : 0;
            last = now;
        }
        return last.x() - 100.0;
    };
    const auto run = [&](const std::vector<DeviceSpecificSettings>& records, auto&& measure) {
        QTemporaryDir home;
        DeviceSettingsTable table;
        for (int device = 0; device < kDevices; ++device)
            table.insert("0-0-" + XorgServer::deviceName(device) + "-N/A", records[device]);
        storeSettings(home.path(), table);
        VeloquillProcess program(home.path(), onDisplay(server.displayName()));
        // Applied: each device has its deceleration, and acceleration off or its own feedback.
        const auto applied = [&] {
            const auto now = everything();
            for (int device = 0; device < kDevices; ++device) {
                const DeviceSpecificSettings& record = records[device];
                const double gain = slowMotionGain(record.pointerSpeed);
                auto properties = now[device];
                if (std::abs(properties[kDeceleration].value(0).toDouble() * gain - 1) > 1e-4 ||
                    (record.pointerDisableAcceleration
                         ? properties["Device Accel Profile"] != QStringList{"-1"}
                         : properties["feedback"] == before[device].at("feedback")))
                    return false;
            }
            return true;
        };
        ASSERT_TRUE(runMainLoopUntil(applied, 10000)) << program.tail();
        measure();
        ASSERT_TRUE(program.quit());
        EXPECT_EQ(everything(), before) << "quit did not put every device back";
    };

    // Acceleration off: the speed's gain on its own, within 3 %, about 400 pixels each.
    const double speeds[kDevices] = {0, 0.25, 0.5, 0.75, 1};
    std::vector<DeviceSpecificSettings> off;
    for (double speed : speeds)
        off.push_back({speed, 1.0, true});
    run(off, [&] {
        for (int device = 0; device < kDevices; ++device) {
            const double gain = slowMotionGain(speeds[device]);
            const int packets = static_cast<int>(std::lround(40 / gain));
            EXPECT_NEAR(travel(device, 10, packets, 0) / (10.0 * packets * gain), 1.0, 0.03)
                << "speed " << speeds[device];
        }
        // After a warp, by XWarpPointer or XIWarpPointer, the next motion starts there.
        for (const bool throughXInput2 : {false, true}) {
            driver.warpPointer(800, 400, throughXInput2);
            server.move(1, 20, 0, 1, 0);
            runMainLoopUntil([&] { return driver.pointerPosition() != QPoint(800, 400); }, 2000);
            EXPECT_NEAR(driver.pointerPosition().x(), 800 + 20 * slowMotionGain(0.25), 1.5);
            EXPECT_EQ(driver.pointerPosition().y(), 400) << throughXInput2;
        }
        // Absolute motion (XTEST, as software pointers send it) lands where it is sent.
        driver.placePointer(640, 400);
        EXPECT_EQ(driver.pointerPosition(), QPoint(640, 400));
    });

    // Acceleration on at the default speed: 0 moves slow and fast motion alike; 1, 5, 10 and 20
    // move fast motion ever further.
    const double amounts[kDevices] = {0, 1, 5, 10, 20};
    std::vector<DeviceSpecificSettings> on;
    for (double amount : amounts)
        on.push_back({0.5, amount, false});
    run(on, [&] {
        EXPECT_NEAR(travel(0, 1, 40, 20) / 40, 1.0, 0.03) << "slow";
        EXPECT_NEAR(travel(0, 8, 10, 8) / 80, 1.0, 0.03) << "fast";
        double previous = 80;
        for (int device = 1; device < kDevices; ++device) {
            const double fast = travel(device, 8, 10, 8);
            EXPECT_GT(fast, previous * 1.15) << "acceleration " << amounts[device];
            previous = fast;
        }
    });
}
