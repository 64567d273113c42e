// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// `veloquill --restore` as a user runs it after a crash: the whole program, start to exit,
// against 50 XTEST master pointers on Xvfb whose speed an earlier run changed and left in its
// journal (the runtime folder on tmpfs where /dev/shm is one). For comparison, the same start
// with nothing to put back. Beside them, quit's own restore of the same 50 devices, listed and
// changed by the running device layer.
#include "device/pointer_device_manager.h"
#include "device/x11/x11_backend.h"
#include "timed_runs.h"
#include "x_driver.h"
#include "xvfb_server.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <memory>
#include <vector>

using namespace veloquill;

namespace {

constexpr int Masters = 50;

struct Rig
{
    std::unique_ptr<test::XvfbServer> server;
    std::unique_ptr<QTemporaryDir> runtime;
};

Rig& rig()
{
    static Rig instance;
    return instance;
}

// Changes every XTEST pointer's speed, as a run would, and ends without putting them back:
// the journal then names them all.
void leaveChangedDevices(int step)
{
    X11Backend system({rig().server->displayName(), true, rig().runtime->path()});
    auto client = system.watchDevices();
    for (const auto& service : client->devices().value_or(std::vector<BackendDeviceRef>{})) {
        if (service->describe().contains(QStringLiteral("XTEST pointer")))
            service->setGain(1.5 + step % 2);
    }
}

// Wall time of `veloquill --restore`, which must succeed.
double restoreMs(benchmark::State& state)
{
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS"})
        environment.remove(name);
    environment.insert("DISPLAY", rig().server->displayName());
    environment.insert("XDG_CONFIG_HOME", rig().runtime->path());
    environment.insert("XDG_RUNTIME_DIR", rig().runtime->path());
    environment.insert("XDG_SESSION_TYPE", "x11");
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer timer;
    timer.start();
    program.start(QStringLiteral(VELOQUILL_PROGRAM), {QStringLiteral("--restore")});
    program.waitForFinished(10000);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    if (program.exitStatus() != QProcess::NormalExit || program.exitCode() != 0)
        state.SkipWithError(("--restore failed: " + program.readAll().toStdString()).c_str());
    return ms;
}

void runRestore(benchmark::State& state, bool changed)
{
    if (!rig().server) {
        state.SkipWithError("no X server (is Xvfb installed?)");
        return;
    }
    std::vector<double> times;
    for (auto _ : state) {
        if (changed)
            leaveChangedDevices(int(times.size()));
        times.push_back(restoreMs(state));
        state.SetIterationTime(times.back() / 1000.0);
    }
    test::reportMedianMs(state, times);
}

void BM_RestoreFiftyXtestMasters(benchmark::State& state)
{
    runRestore(state, true);
}
BENCHMARK(BM_RestoreFiftyXtestMasters)
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

void BM_RestoreNothing(benchmark::State& state)
{
    runRestore(state, false);
}
BENCHMARK(BM_RestoreNothing)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

// The device layer's restore at quit, all 50 devices listed and changed.
void BM_QuitPutsBackFiftyXtestMasters(benchmark::State& state)
{
    if (!rig().server) {
        state.SkipWithError("no X server (is Xvfb installed?)");
        return;
    }
    std::vector<double> times;
    for (auto _ : state) {
        auto system = std::make_shared<X11Backend>(
            X11BackendOptions{rig().server->displayName(), true, rig().runtime->path()});
        PointerDeviceManager manager(system);
        manager.startObservation();
        for (const PointerDeviceRef& device : manager.devices()) {
            if (device->name().startsWith(QStringLiteral("Bench ")))
                device->setPointerResolution(times.size() % 2 ? 100.0 : 200.0);
        }
        QElapsedTimer timer;
        timer.start();
        const bool restored = manager.restoreInitialPointerSettings();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        state.SetIterationTime(times.back() / 1000.0);
        if (!restored) {
            state.SkipWithError("quit did not put every device back");
            return;
        }
    }
    test::reportMedianMs(state, times);
}
BENCHMARK(BM_QuitPutsBackFiftyXtestMasters)
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Rig& r = rig();
    if (!QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) {
        r.server = std::make_unique<test::XvfbServer>();
        r.runtime = test::runtimeFolderOnTmpfs();
        test::XDriver driver(r.server->displayName());
        // Each with the libinput properties of a pointer whose speed can be set.
        for (int i = 0; i < Masters; ++i) {
            driver.addMaster(QStringLiteral("Bench %1").arg(i));
            driver.sync();
            const int id = driver.deviceId(QStringLiteral("Bench %1 XTEST pointer").arg(i));
            driver.setFloatProperty(id, "libinput Accel Speed", {0.3f});
            driver.setIntegerProperty(id, "libinput Accel Profiles Available", 8, {1, 1});
            driver.setIntegerProperty(id, "libinput Accel Profile Enabled", 8, {0, 1});
        }
        driver.sync();
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    r.runtime.reset();
    r.server.reset();
    return 0;
}
