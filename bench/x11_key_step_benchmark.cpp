// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// One speed slider step through the whole program on X11, as a user makes it: a key into the
// real settings window through XTEST, ended by the property event of the device the program
// wrote (Xvfb's mouse), the runtime folder on tmpfs where /dev/shm is one. Median of the steps.
// Beside it, start → first record applied: the program started with a stored speed for the
// mouse, until the mouse's property event (100 ms of it the fixed delay before saved settings
// are applied).
// Without a tray the program opens its window at start, with the keyboard; Tab moves on to the
// first control an arrow key of which changes the mouse (the speed slider).
#include "settings/device_specific_settings.h"
#include "settings/qsettings_defaults_store.h"
#include "settings/veloquill_pointer_settings_state.h"
#include "timed_runs.h"
#include "x_driver.h"
#include "xvfb_server.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <memory>
#include <vector>

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>
#include <poll.h>
#include <unistd.h>

using namespace veloquill;

namespace {

const QByteArray WindowReady = "ensureDeviceSelectionAndLoadSettings";
constexpr int MaxTabs = 30;

struct Rig
{
    std::unique_ptr<test::XvfbServer> server;
    std::unique_ptr<QTemporaryDir> runtime;
    std::unique_ptr<QProcess> program;
    Display* display = nullptr;
    int xiOpcode = 0;
    int mouse = -1;
    QString failure;
};

Rig& rig()
{
    static Rig instance;
    return instance;
}

void pressKey(const char* name)
{
    Display* display = rig().display;
    const KeyCode key = XKeysymToKeycode(display, XStringToKeysym(name));
    XTestFakeKeyEvent(display, key, True, CurrentTime);
    XTestFakeKeyEvent(display, key, False, CurrentTime);
    XFlush(display);
}

// Waits for a property event of the mouse; false when none comes in time.
bool awaitMouseProperty(int timeoutMs)
{
    Display* display = rig().display;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < timeoutMs) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            XGenericEventCookie& cookie = event.xcookie;
            if (cookie.type != GenericEvent || cookie.extension != rig().xiOpcode ||
                !XGetEventData(display, &cookie))
                continue;
            const bool found = cookie.evtype == XI_PropertyEvent &&
                               static_cast<XIPropertyEvent*>(cookie.data)->deviceid == rig().mouse;
            XFreeEventData(display, &cookie);
            if (found)
                return true;
        }
        pollfd socket{ConnectionNumber(display), POLLIN, 0};
        poll(&socket, 1, 10);
    }
    return false;
}

// Everything the last step caused, so the next one starts clean.
void settle()
{
    while (awaitMouseProperty(30)) {
    }
}

QProcessEnvironment programEnvironment(const QString& home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS"})
        environment.remove(name);
    environment.insert("DISPLAY", rig().server->displayName());
    environment.insert("XDG_CONFIG_HOME", home);
    environment.insert("XDG_RUNTIME_DIR", home);
    environment.insert("XDG_SESSION_TYPE", "x11");
    return environment;
}

QString start()
{
    Rig& r = rig();
    r.server = std::make_unique<test::XvfbServer>();
    r.runtime = test::runtimeFolderOnTmpfs();
    r.display = XOpenDisplay(r.server->displayName().toLocal8Bit().constData());
    int event = 0, error = 0;
    if (!r.display || !XQueryExtension(r.display, "XInputExtension", &r.xiOpcode, &event, &error))
        return QStringLiteral("no XInput on Xvfb");
    r.mouse = test::XDriver(r.server->displayName()).deviceId(QStringLiteral("Xvfb mouse"));
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_PropertyEvent);
    XIEventMask mask{r.mouse, sizeof bits, bits};
    XISelectEvents(r.display, DefaultRootWindow(r.display), &mask, 1);
    XSync(r.display, False);

    r.program = std::make_unique<QProcess>();
    r.program->setProcessEnvironment(programEnvironment(r.runtime->path()));
    r.program->setProcessChannelMode(QProcess::MergedChannels);
    r.program->start(QStringLiteral(VELOQUILL_PROGRAM), QStringList());
    r.program->waitForStarted();
    QByteArray output;
    QElapsedTimer waited;
    waited.start();
    while (!output.contains(WindowReady) && waited.elapsed() < 20000 &&
           r.program->state() == QProcess::Running) {
        r.program->waitForReadyRead(100);
        output += r.program->readAll();
    }
    if (!output.contains(WindowReady))
        return QStringLiteral("the settings window did not come up: ") + QString::fromUtf8(output);
    QThread::msleep(300);
    settle();
    // Tab on until an arrow key on the control that has the keyboard changes the mouse.
    for (int tabs = 0; tabs < MaxTabs; ++tabs) {
        pressKey("Right");
        if (awaitMouseProperty(500)) {
            settle();
            return {};
        }
        pressKey("Tab");
    }
    return QStringLiteral("no control of the window reached the mouse with an arrow key");
}

void BM_KeyToDeviceWritten(benchmark::State& state)
{
    if (!rig().failure.isEmpty()) {
        state.SkipWithError(rig().failure.toStdString().c_str());
        return;
    }
    std::vector<double> times;
    // Markers for bench/count_program_step_syscalls, which traces this with the program.
    (void)::access("/veloquill-bench-steps-begin", F_OK);
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        pressKey(times.size() % 2 ? "Right" : "Left");
        if (!awaitMouseProperty(3000)) {
            state.SkipWithError("a step did not reach the mouse");
            return;
        }
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        state.SetIterationTime(times.back() / 1000.0);
        settle();
    }
    (void)::access("/veloquill-bench-steps-end", F_OK);
    test::reportMedianMs(state, times);
    state.counters["p95_ms"] = times[times.size() * 95 / 100];
}
BENCHMARK(BM_KeyToDeviceWritten)->UseManualTime()->Iterations(50)->Unit(benchmark::kMillisecond);

// A program of its own (its own runtime folder and settings), started and ended each time.
void BM_StartToFirstRecordApplied(benchmark::State& state)
{
    if (!rig().failure.isEmpty()) {
        state.SkipWithError(rig().failure.toStdString().c_str());
        return;
    }
    QTemporaryDir home(rig().runtime->path() + QStringLiteral("/start-XXXXXX"));
    std::vector<double> times;
    for (auto _ : state) {
        QSettingsDefaultsStore store(home.path() + QStringLiteral("/Veloquill/Veloquill.conf"));
        const double speed = times.size() % 2 ? 0.25 : 0.75;
        store.setData(VeloquillPointerSettingsState::DeviceSettingsKey,
                      *encodeDeviceSettingsTable(
                           {{QStringLiteral("0-0-Xvfb mouse-N/A"), {speed, 1.0, false}}})
                           .data);
        settle();
        QProcess program;
        program.setProcessEnvironment(programEnvironment(home.path()));
        program.setProcessChannelMode(QProcess::MergedChannels);
        QElapsedTimer timer;
        timer.start();
        program.start(QStringLiteral(VELOQUILL_PROGRAM), QStringList());
        const bool applied = awaitMouseProperty(5000);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        state.SetIterationTime(times.back() / 1000.0);
        program.terminate();
        program.waitForFinished(5000);
        if (!applied) {
            state.SkipWithError("the stored record did not reach the mouse");
            return;
        }
    }
    settle();
    test::reportMedianMs(state, times);
}
BENCHMARK(BM_StartToFirstRecordApplied)
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Rig& r = rig();
    r.failure = QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()
                    ? QStringLiteral("no X server (is Xvfb installed?)")
                    : start();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (r.program) {
        r.program->terminate();
        r.program->waitForFinished(5000);
    }
    if (r.display)
        XCloseDisplay(r.display);
    r.program.reset();
    r.runtime.reset();
    r.server.reset();
    return 0;
}
