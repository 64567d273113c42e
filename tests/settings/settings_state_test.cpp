// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "settings_state_fixture.h"

#include "settings/pointer_speed_mapping.h"
#include "settings/qsettings_defaults_store.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <functional>
#include <limits>

using namespace veloquill;
using namespace veloquill::test;

namespace {
const double NaN = std::numeric_limits<double>::quiet_NaN();
using Fixed = std::vector<std::int64_t>;
// A simulated mouse holds resolution 400 and acceleration 0.6875.
const double ReadSpeed = PointerSpeedMapping::speedFor(400.0);
const QString Trackball = "2-2-Trackball-N/A", FootMouse = "1-1-Foot Mouse-N/A";
} // namespace

using SettingsState = SettingsStateTest;

// The settings layer's log wording, pinned once: a first run, an editing session with precision
// mode and a refused write, the selected device coming back, a preferred one arriving, every
// device leaving, an unreadable table and record, and a save that does not reach the disk.
// The device manager's lines are left out; other tests check what is stored and written. The
// transcript is kept beside this file, where a wording change shows as a plain diff.
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
    state->setPrecisionMode(true);
    waitForReadBacks();
    mouse->refuseWrites(Resolution, false);
    state->setPrecisionMode(false);
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
    store->setData(State::DeviceSettingsKey, R"({"x":1})");
    store->failing = true;
    build().setCurrentPointerSpeed(0.65);

    QStringList settingsLines;
    bool managers = false; // indented lines belong to the line above them
    for (const QString& line : log.lines()) {
        if (!line.startsWith(' '))
            managers = line.contains(QRegularExpression("^\\[?(PointerDeviceManager|No devices)"));
        if (!managers)
            settingsLines << line;
    }
    QFile transcript(SETTINGS_LOG_TRANSCRIPT);
    ASSERT_TRUE(transcript.open(QIODevice::ReadOnly));
    EXPECT_EQ((settingsLines.join('\n') + '\n').toStdString(), transcript.readAll().toStdString());
}

// At start auto-switch selects the preferred device for a first start or a selection whose
// device is absent, never over one present; otherwise a first start takes the first device a
// hand moves, and an absent selection is kept (its record too).
TEST_F(SettingsState, StartSelectsThePreferredOrFirstPhysicalDeviceAndKeepsAnAbsentSelection)
{
    const QString foot = FootMouse, zono = "7-4-Zono X Pro-N/A";
    const QString xtest = "0-0-Zono X Pro XTEST pointer-N/A";
    struct Case
    {
        std::optional<QString> stored;
        bool autoSwitch;
        QStringList connected; // "*" marks a device software drives (XTEST)
        std::optional<QString> selected;
    } const cases[] = {
        {std::nullopt, true, {"*Zono X Pro XTEST pointer", "Head Mouse", "Zono X Pro"}, zono},
        {std::nullopt, true, {"Head Mouse", "*Zono X Pro XTEST pointer"}, xtest},
        {std::nullopt, false, {"*Zono X Pro XTEST pointer", "Head Mouse", "Zono X Pro"}, HeadMouse},
        {std::nullopt, false, {"*Zono X Pro XTEST pointer"}, std::nullopt},
        {foot, true, {"Head Mouse", "Zono X Pro"}, zono},
        {foot, false, {"Head Mouse", "Zono X Pro"}, foot},
        {foot, true, {"Head Mouse"}, foot},
        {HeadMouse, true, {"Zono X Pro", "Head Mouse"}, HeadMouse},
    };
    const std::map<QString, std::pair<int, int>> ids{
        {"Head Mouse", {4660, 171}}, {"Zono X Pro", {7, 4}}, {"Zono X Pro XTEST pointer", {0, 0}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.connected.join(", ").toStdString() + " / " +
                     c.stored.value_or("nothing").toStdString());
        system = std::make_shared<sim::SimulatedBackend>();
        manager = std::make_unique<PointerDeviceManager>(system);
        manager->startObservation();
        store = std::make_shared<InMemoryDefaultsStore>();
        if (c.stored)
            remember(*c.stored, {0.9, 3.0, true});
        store->setBoolean(State::AutoSwitchToNewDevicesKey, c.autoSwitch);
        for (QString name : c.connected) {
            const bool software = name.startsWith('*');
            name.remove(0, software ? 1 : 0);
            auto spec = sim::DeviceSpec::mouse(name, ids.at(name).first, ids.at(name).second);
            spec.identity.isVirtual = software;
            system->addDevice(spec);
        }
        drainMainLoop();
        build().ensureDeviceSelectionAndLoadSettings();
        state->ensureDeviceSelectionAndLoadSettings(); // the window opening
        EXPECT_EQ(state->selectedDeviceID(), c.selected);
        EXPECT_EQ(store->string(State::SelectedDeviceIDKey), c.selected);
        EXPECT_EQ(state->perDeviceSettings().contains(foot), c.stored == foot);
        waitForReadBacks();
        state.reset();
    }
}

// Nothing listed at start, or while KWin restarts, or the device unplugged while others, even
// a preferred one, are here: the window opening keeps the selection, and the device gets its
// record when it comes back.
TEST_F(SettingsState, AbsentSelectedDeviceStaysSelectedAndGetsItsRecordWhenItComesBack)
{
    remember(HeadMouse, {0.75, 7.3, false});
    build().ensureDeviceSelectionAndLoadSettings();
    const auto first = connect("Head Mouse", 4660, 171);
    waitForReadBacks();
    state->setAutoSwitchToNewDevices(false);
    connect("Zono X Pro", 7, 4);
    state->setAutoSwitchToNewDevices(true);
    unplug(first);
    state->ensureDeviceSelectionAndLoadSettings();
    EXPECT_EQ(store->string(State::SelectedDeviceIDKey), HeadMouse);
    const auto back = connect("Head Mouse", 4660, 171);
    for (const auto& mouse : {first, back})
        EXPECT_EQ(written(*mouse, Resolution), Fixed{3456843});
}

TEST_F(SettingsState, OnlyAnArrivingPreferredDeviceIsSwitchedToAndOnlyWhenAutoSwitchIsOn)
{
    connect("Head Mouse", 4660, 171);
    build().ensureDeviceSelectionAndLoadSettings();
    state->setPreferredDeviceName("");
    connect("Zono X Pro", 7, 2);
    state->setPreferredDeviceName("Zono X");
    state->setAutoSwitchToNewDevices(false);
    connect("Zono X Pro", 7, 3);
    EXPECT_EQ(state->selectedDeviceID(), HeadMouse);

    state->setAutoSwitchToNewDevices(true);
    state->setPreferredDeviceName(" zono x "); // letter case and spaces around do not matter
    log.clear();
    const auto zono = connect("Zono X Pro", 7, 4);
    EXPECT_EQ(store->string(State::SelectedDeviceIDKey), "7-4-Zono X Pro-N/A");
    EXPECT_TRUE(zono->writes().empty()); // no record: left as it is
    // The switch waits until the manager has finished with the arrival.
    EXPECT_LT(log.lines().indexOf("PointerDeviceManager: Registered removal block for client: " +
                                  zono->describe()),
              log.lines().indexOf(P + "selectedDeviceID changed post-initialization."));
}

// Loading announces the selected device's values once; selecting the same device again stores
// the selection but loads nothing.
TEST_F(SettingsState, EveryDeviceWithARecordGetsItOnceAtStartAndOnArrivalAndSelectingWritesNothing)
{
    remember({{Trackball, {0.75, 7.3, false}}, {FootMouse, {0.25, 1.0, true}}}, HeadMouse);
    const auto headMouse = connect("Head Mouse", 4660, 171);
    const auto ball = connect("Trackball", 2, 2);
    int announced = 0;
    QObject::connect(&build(), &State::currentPointerSpeedChanged, [&] { ++announced; });
    state->ensureDeviceSelectionAndLoadSettings();
    EXPECT_EQ(state->currentPointerSpeed(), ReadSpeed);
    state->ensureDeviceSelectionAndLoadSettings(); // the window opening again
    const auto foot = connect("Foot Mouse", 1, 1);
    state->setSelectedDeviceID(Trackball); // selecting writes nothing
    const int storeWrites = store->writeCount();
    state->setSelectedDeviceID(Trackball);
    EXPECT_EQ(store->writeCount(), storeWrites + 1);
    EXPECT_EQ(announced, 2);
    EXPECT_TRUE(headMouse->writes().empty());
    EXPECT_EQ(ball->writes().size(), 2u);
    EXPECT_EQ(written(*ball, Resolution), Fixed{3456843});
    EXPECT_EQ(written(*ball, Acceleration), Fixed{478412});
    EXPECT_EQ(written(*foot, Acceleration), (Fixed{-65536, -65536}));
}

// "None" chosen stays chosen at the next start, unlike no choice at all (a first start).
TEST_F(SettingsState, NoneChosenIsRememberedAndAStartThatRereadsItWritesNothing)
{
    connect("Head Mouse", 4660, 171);
    build().ensureDeviceSelectionAndLoadSettings();
    state->setSelectedDeviceID(std::nullopt);
    build().ensureDeviceSelectionAndLoadSettings();
    EXPECT_EQ(state->selectedDeviceID(), std::nullopt);
    // Stored as it was read, which the file's store does not write again.
    EXPECT_EQ(store->string(State::SelectedDeviceIDKey), "");
}

// As on GNOME, where one setting serves every device of a kind: the selected device's record
// is the one given, again each time it is selected.
TEST_F(SettingsState, WhereSettingsAreSharedByKindOnlyTheSelectedDeviceGetsItsRecord)
{
    system->setSettingsSharedByKind(true);
    remember({{Trackball, {0.75, 7.3, false}}, {FootMouse, {0.25, 1.0, true}}}, Trackball);
    const auto ball = connect("Trackball", 2, 2);
    const auto foot = connect("Foot Mouse", 1, 1);
    build().ensureDeviceSelectionAndLoadSettings();
    EXPECT_TRUE(foot->writes().empty());
    state->setSelectedDeviceID(FootMouse);
    state->setSelectedDeviceID(Trackball);
    EXPECT_EQ(written(*ball, Resolution), (Fixed{3456843, 3456843}));
    EXPECT_EQ(written(*foot, Acceleration), (Fixed{-65536, -65536}));
}

// A device without a record shows what it holds; the first change stores the values it did
// not touch as read, and one outside its slider's range is not written. Revert shows, stores
// and writes the defaults the device reports.
TEST_F(SettingsState, FirstChangeOrRevertMakesTheRecordFromValuesReadOrReported)
{
    const double OutOfRange = PointerSpeedMapping::speedFor(1600); // the slider spans 40 to 1200
    const auto accelerationTo3 = [](State& s) { s.setCurrentPointerAcceleration(3.0); };
    const auto speedToHalf = [](State& s) { s.setCurrentPointerSpeed(0.5); };
    const auto none = [](sim::SimulatedDevice&) {};
    const auto off = [](sim::SimulatedDevice& d) {
        d.change([](PointerSettings& s) { s.accelerationOff = true; });
    };
    const auto defaults = [](sim::SimulatedDevice& d) {
        d.setDefaults({PointerDevice::gainForResolution(1200), std::nullopt, true});
    };
    struct Case
    {
        double resolution;
        std::function<void(sim::SimulatedDevice&)> setUp;
        std::function<void(State&)> change;
        DeviceSpecificSettings record;
        Fixed resolutions, accelerations;
    } const cases[] = {
        {400, none, accelerationTo3, {ReadSpeed, 3, false}, {26214400}, {196608}},
        {1600, none, accelerationTo3, {OutOfRange, 3, false}, {}, {196608}},
        {400, off, speedToHalf, {0.5, 1, true}, {5073754}, {-65536, -65536}},
        {400, defaults, &State::revertPointerSpeed, {0, 1, true}, {78643200}, {-65536, -65536}},
    };
    for (const auto& [resolution, setUp, change, record, resolutions, accelerations] : cases) {
        SCOPED_TRACE(record.pointerSpeed);
        store = std::make_shared<InMemoryDefaultsStore>();
        const auto mouse = plugIn("Head Mouse", 4660, 171, std::nullopt, resolution);
        setUp(*mouse);
        drainMainLoop();
        build().ensureDeviceSelectionAndLoadSettings();
        EXPECT_TRUE(mouse->writes().empty());
        change(*state);
        EXPECT_EQ(stored(), DeviceSettingsTable({{HeadMouse, record}}));
        EXPECT_EQ(state->currentPointerSpeed(), record.pointerSpeed); // shown
        EXPECT_EQ(state->currentPointerDisableAcceleration(), record.pointerDisableAcceleration);
        EXPECT_EQ(written(*mouse, Resolution), resolutions);
        EXPECT_EQ(written(*mouse, Acceleration), accelerations);
        waitForReadBacks();
        state.reset();
        unplug(mouse);
    }
}

// Identical mice without serial numbers share one record, also once the first has left.
TEST_F(SettingsState, EveryTwinGetsTheRecordAtStartOnArrivalAndWithEveryEdit)
{
    remember(HeadMouse, {0.75, 1.0, false});
    const auto mouse = connect("Head Mouse", 4660, 171);
    const auto twin = connect("Head Mouse", 4660, 171);
    build().ensureDeviceSelectionAndLoadSettings();
    const auto late = connect("Head Mouse", 4660, 171);
    state->setCurrentPointerSpeed(0.25);
    unplug(mouse);
    state->setCurrentPointerSpeed(0.5);
    const Fixed all{3456843, 9532509, 5073754};
    EXPECT_EQ(written(*mouse, Resolution), Fixed(all.begin(), all.end() - 1));
    EXPECT_EQ(written(*twin, Resolution), all);
    EXPECT_EQ(written(*late, Resolution), all);
}

// A table that cannot be read at all is kept whole by the store before it is replaced; an
// unreadable record is carried through saves as it was, and the readable ones still apply.
TEST_F(SettingsState, UnreadableStoredTablesAndRecordsAreNeverLost)
{
    const QByteArray good = R"("4660-171-Head Mouse-N/A":{"pointerSpeed":0.2,)"
                            R"("pointerAcceleration":3,"pointerDisableAcceleration":false})";
    const QByteArray badRecord = R"("1-1-Foot":{"pointerSpeed":"fast","v":[1,{"x":null}]})";
    struct Case
    {
        const char* name;
        QVariant stored;
        bool copied;          // the store was asked to keep what it holds before a write
        double loadedSpeed;   // the Head Mouse's speed after loading
        QByteArray afterSave; // the stored table after the speed is set to 0.9
    };
    const QByteArray saved =
        R"({"4660-171-Head Mouse-N/A":{"pointerSpeed":0.9,)"
        R"("pointerAcceleration":0.6875,"pointerDisableAcceleration":false,"precisionFactor":0.25}})";
    const QByteArray savedFromGood =
        R"({"4660-171-Head Mouse-N/A":{"pointerSpeed":0.9,)"
        R"("pointerAcceleration":3,"pointerDisableAcceleration":false,"precisionFactor":0.25})";
    const std::vector<Case> cases = {
        {"not JSON", QByteArray("{"), true, ReadSpeed, saved},
        {"split into a list", QStringList{"{\"a\":1}", "2"}, true, ReadSpeed, saved},
        {"text, not data", QString("{" + good + "}"), true, ReadSpeed, saved},
        {"one unreadable record", QByteArray("{" + good + "," + badRecord + "}"), false, 0.2,
         savedFromGood + "," + badRecord + "}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store = std::make_shared<InMemoryDefaultsStore>();
        store->put(State::DeviceSettingsKey, c.stored);
        store->setString(State::SelectedDeviceIDKey, HeadMouse);
        const auto mouse = connect("Head Mouse", 4660, 171);
        build().ensureDeviceSelectionAndLoadSettings();
        waitForReadBacks();
        EXPECT_EQ(store->copyRequested(), c.copied);
        EXPECT_EQ(state->currentPointerSpeed(), c.loadedSpeed);
        state->setCurrentPointerSpeed(0.9);
        waitForReadBacks();
        EXPECT_EQ(store->data(State::DeviceSettingsKey), c.afterSave);
        state.reset();
        unplug(mouse);
    }
}

// Every start assigns the stored preferences and selection again; the file must not be
// rewritten for that, or values only another version can read would be lost.
TEST_F(SettingsState, StartThatChangesNothingLeavesTheFileUntouched)
{
    auto mouse = connect("Head Mouse", 4660, 171);
    QTemporaryDir home;
    const QString path = home.filePath("Veloquill.conf");
    const auto startWithFile = [&](std::optional<double> speed) {
        State started(*manager, std::make_shared<QSettingsDefaultsStore>(path));
        started.ensureDeviceSelectionAndLoadSettings();
        if (speed)
            started.setCurrentPointerSpeed(*speed);
        waitForReadBacks();
    };
    const auto file = [&] {
        QFile conf(path);
        EXPECT_TRUE(conf.open(QIODevice::ReadOnly));
        return std::pair(conf.readAll(), QFileInfo(path).lastModified());
    };
    startWithFile(0.7);
    const auto written = file();
    QThread::msleep(20); // a rewrite would have a later time
    startWithFile(std::nullopt);
    EXPECT_EQ(file(), written);
}

// Two instances on one file (two displays, one account): another process, started first,
// saves the Head Mouse between two saves of the Foot Mouse here. Neither save puts back the
// other's old table, and this one's table takes in the Head Mouse with its next save.
TEST_F(SettingsState, SecondInstanceSavingMeanwhileLosesNoUpdate)
{
    auto foot = connect("Foot Mouse", 1, 2);
    QTemporaryDir home;
    QProcess other;
    other.setEnvironment(QProcess::systemEnvironment() << "XDG_CONFIG_HOME=" + home.path());
    other.start(SETTINGS_STORE_WRITER, {"start:0.9", "after-input"});
    while (!other.readAllStandardOutput().contains("loaded"))
        ASSERT_TRUE(other.waitForReadyRead(20000));

    const QString path = home.path() + "/Veloquill/Veloquill.conf";
    state = std::make_unique<State>(*manager, std::make_shared<QSettingsDefaultsStore>(path));
    state->ensureDeviceSelectionAndLoadSettings();
    state->setSelectedDeviceID("1-2-Foot Mouse-N/A"); // the other selected its Head Mouse
    state->setCurrentPointerSpeed(0.3);
    other.write("\n");
    other.closeWriteChannel();
    ASSERT_TRUE(other.waitForFinished(20000));
    state->setCurrentPointerSpeed(0.6);
    waitForReadBacks();

    const auto table = decodeDeviceSettingsTable(
        QSettingsDefaultsStore(path).data(State::DeviceSettingsKey).value_or(""));
    ASSERT_TRUE(table.table);
    EXPECT_EQ(table.table->value("1-2-Foot Mouse-N/A").pointerSpeed, 0.6);
    EXPECT_EQ(table.table->value(HeadMouse).pointerSpeed, 0.9);
    EXPECT_EQ(state->perDeviceSettings(), *table.table);
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

    std::shared_ptr<sim::SimulatedDevice> mouse;
};

TEST_F(SettingsValues, EditIsAnnouncedStoredAndWrittenAndTheSameValueOrANonFiniteOneIsNot)
{
    std::vector<double> announced;
    QObject::connect(state.get(), &State::currentPointerSpeedChanged,
                     [&](double value) { announced.push_back(value); });
    state->setCurrentPointerSpeed(0.7);
    const int storeWrites = store->writeCount();
    state->setCurrentPointerSpeed(0.7);
    state->setCurrentPointerSpeed(NaN);
    state->setCurrentPointerAcceleration(-std::numeric_limits<double>::infinity());
    EXPECT_EQ(announced, std::vector<double>(2, 0.7));
    EXPECT_EQ(store->writeCount(), storeWrites);
    EXPECT_EQ(stored(), DeviceSettingsTable({{HeadMouse, {0.7, 0.6875, false}}}));
    EXPECT_EQ(written(*mouse, Resolution), Fixed{3692169});
    EXPECT_EQ(mouse->writes().size(), 2u);
}

// With acceleration off the speed still reaches the device, and flipping the switch writes
// the resolution the speed already gave: the pointer's base speed stays as it was.
TEST_F(SettingsValues, SpeedsMapOntoResolutionsLinearInTheirInverseWithAccelerationOnOrOff)
{
    const std::pair<double, std::int64_t> table[] = {
        {0.25, 9532509}, {0.0, 78643200}, {0.75, 3456843}, {0.5, 5073754}, {1.0, 2621440}};
    for (const auto& [speed, fixed] : table) {
        mouse->clearWrites();
        state->setCurrentPointerSpeed(speed);
        EXPECT_EQ(written(*mouse, Resolution), Fixed{fixed}) << speed;
    }
    mouse->clearWrites();
    state->setCurrentPointerDisableAcceleration(true);
    state->setCurrentPointerSpeed(0.3);
    state->setCurrentPointerDisableAcceleration(false);
    EXPECT_EQ(stored(), DeviceSettingsTable({{HeadMouse, {0.3, 0.6875, false}}}));
    EXPECT_EQ(written(*mouse, Resolution), (Fixed{2621440, 8107546, 8107546}));
    EXPECT_EQ(written(*mouse, Acceleration), (Fixed{-65536, -65536, -65536, -65536, 45056}));
}

// A write the device does not take leaves the window and the record at what it holds: a lock is
// reported as one, acceleration kept as the device having none, and anything else in a line.
TEST_F(SettingsState, RefusedWritesLeaveTheWindowAndRecordAtWhatTheDeviceHolds)
{
    using Edit = std::function<void(State&)>;
    const Edit faster = [](State& s) { s.setCurrentPointerSpeed(0.8); };
    const Edit more = [](State& s) { s.setCurrentPointerAcceleration(3); };
    const Edit off = [](State& s) { s.setCurrentPointerDisableAcceleration(true); };
    const DeviceSpecificSettings held{ReadSpeed, 0.6875, false};
    const QString kept = "Pointer speed not changed: the desktop kept 0.07.";
    // name, setting refused, locked, edit, limits (speed, acceleration locked; has
    // acceleration), line
    const std::tuple<const char*, sim::Setting, bool, Edit, State::DeviceLimits, QString> cases[] =
        {{"speed kept", Resolution, false, faster, {false, false, true}, kept},
         {"speed locked", Resolution, true, faster, {true, false, true}, ""},
         {"acceleration kept", Acceleration, false, more, {false, false, false}, ""},
         {"acceleration kept on", Acceleration, false, off, {false, false, false}, ""},
         {"acceleration locked", Acceleration, true, more, {false, true, true}, ""}};
    for (const auto& [name, key, locked, edit, limits, line] : cases) {
        SCOPED_TRACE(name);
        store = std::make_shared<InMemoryDefaultsStore>();
        const auto mouse = connect("Head Mouse", 4660, 171);
        mouse->refuseWrites(key, locked);
        build().ensureDeviceSelectionAndLoadSettings();
        edit(*state);
        waitForReadBacks();
        EXPECT_EQ((DeviceSpecificSettings{state->currentPointerSpeed(),
                                          state->currentPointerAcceleration(),
                                          state->currentPointerDisableAcceleration()}),
                  held);
        EXPECT_EQ(stored()[HeadMouse], held);
        const State::DeviceLimits shown = state->selectedDeviceLimits();
        EXPECT_EQ(
            std::tuple(shown.speedLocked, shown.accelerationLocked, shown.hasAcceleration),
            std::tuple(limits.speedLocked, limits.accelerationLocked, limits.hasAcceleration));
        EXPECT_EQ(state->refusal(), line);
        unplug(mouse);
    }
    // Without an acceleration property at all, from the start.
    const auto tablet = connect("Head Mouse", 4660, 171);
    tablet->change([](PointerSettings& s) { s.acceleration.reset(); });
    EXPECT_FALSE(state->selectedDeviceLimits().hasAcceleration);
}

// A value out of range, stored by hand or by another version, or set, is bounded before it is
// shown or written: speed 0…1, acceleration 0…20; -1 is not "off" while the switch is not.
TEST_F(SettingsValues, OutOfRangeValuesAreBoundedWhetherLoadedOrSet)
{
    struct Case
    {
        DeviceSpecificSettings record;
        double speed, acceleration;
        std::int64_t resolution, accelerationWritten;
    };
    const Case cases[] = {
        {{-0.5, 1.0, false}, 0.0, 1.0, 78643200, 65536},
        {{1.797e308, 25.0, false}, 1.0, 20.0, 2621440, 1310720},
        {{0.5, -1.0, false}, 0.5, 0.0, 5073754, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.record.pointerSpeed);
        remember(HeadMouse, c.record);
        mouse->clearWrites();
        build().ensureDeviceSelectionAndLoadSettings();
        EXPECT_EQ(state->currentPointerSpeed(), c.speed);
        EXPECT_EQ(state->currentPointerAcceleration(), c.acceleration);
        EXPECT_EQ(written(*mouse, Resolution), Fixed{c.resolution});
        EXPECT_EQ(written(*mouse, Acceleration), Fixed{c.accelerationWritten});
        waitForReadBacks();
    }
    state->setCurrentPointerSpeed(-3);
    state->setCurrentPointerAcceleration(1e9);
    EXPECT_EQ(stored().value(HeadMouse), (DeviceSpecificSettings{0.0, 20.0, false}));
}

TEST_F(SettingsValues, RevertAnnouncesEveryDefaultAndStoresOnlyWhatChanged)
{
    int announced = 0;
    QObject::connect(state.get(), &State::currentPointerSpeedChanged, [&] { ++announced; });
    QObject::connect(state.get(), &State::currentPointerAccelerationChanged, [&] { ++announced; });
    QObject::connect(state.get(), &State::currentPointerDisableAccelerationChanged,
                     [&] { ++announced; });
    state->revertPointerSpeed(); // at the defaults, no record yet: one is made
    const int storeWrites = store->writeCount();
    state->revertPointerSpeed(); // now with that record: nothing to save, still applied
    EXPECT_EQ(announced, 6);
    EXPECT_EQ(store->writeCount(), storeWrites);
    EXPECT_EQ(stored(), DeviceSettingsTable({{HeadMouse, {0.5, 1.0, false}}}));
    EXPECT_EQ(written(*mouse, Resolution), Fixed(2, 5073754));
}
