// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A second start's reopen request answered while KWin takes 2 s per call. First the time from
// the request being written to the running program's reopen handler, with the program's KWin
// writes and reads on their way: the program asks KWin nothing it waits for, so well under
// 50 ms. Then the time from a second start of the program itself, in a KDE Wayland session
// on that bus, to the running program's reopen handler: it reaches the running program before
// it asks any desktop anything, so under 100 ms.
#include "device/kwin/kwin_backend.h"
#include "device/pointer_device.h"
#include "device/pointer_device_manager.h"
#include "shell/single_instance.h"
#include "stand_in_kwin.h"
#include "support/log.h"
#include "support/main_loop.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>
#include <optional>

using namespace veloquill;

namespace {

constexpr int kKWinDelayMs = 2000;

void awaitReopen(SingleInstance& instance, const int& reopens)
{
    const int before = reopens;
    QEventLoop loop;
    QTimer timeout;
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&instance, &SingleInstance::reopenRequested, &loop, &QEventLoop::quit);
    timeout.start(5000);
    if (reopens == before)
        loop.exec();
}

struct SlowKWinRig
{
    SlowKWinRig()
    {
        kwin.startBus();
        kwin.start();
        kwin.addDevice(QStringLiteral("event3"), QStringLiteral("Head Mouse"), 4660, 171);
        system =
            std::make_shared<KWinBackend>(KWinBackendOptions{kwin.busAddress(), directory.path()});
        manager = std::make_unique<PointerDeviceManager>(system);
        manager->startObservation();
        test::runMainLoopUntil([this] { return !manager->devices().empty(); });
        instance.claim();
        instance.listen();
        QObject::connect(&instance, &SingleInstance::reopenRequested, [this] { ++reopens; });
        kwin.setBehaviour(kKWinDelayMs);
    }

    // A slider step and a read, as the window makes them: both reach KWin and wait there.
    void keepKWinBusy(double resolution)
    {
        const PointerDeviceRef device = manager->devices().front();
        device->setPointerResolution(resolution);
        benchmark::DoNotOptimize(device->pointerResolution());
    }

    void requestReopen()
    {
        QLocalSocket socket;
        socket.connectToServer(instance.socketPath());
        socket.waitForConnected(1000);
        socket.write("reopen\n");
        socket.waitForBytesWritten(1000);
        awaitReopen(instance, reopens);
    }

    test::StandInKWin kwin;
    QTemporaryDir directory;
    std::shared_ptr<KWinBackend> system;
    std::unique_ptr<PointerDeviceManager> manager;
    SingleInstance instance{directory.filePath(QStringLiteral("veloquill.socket"))};
    int reopens = 0;
};

void reopenWhileKWinIsSlow(benchmark::State& bench)
{
    const LogRedirect previous = setLogRedirect([](const QString&) {});
    {
        SlowKWinRig rig;
        if (rig.manager->devices().empty()) {
            bench.SkipWithError("the stand-in KWin did not start (is dbus-daemon installed?)");
            setLogRedirect(previous);
            return;
        }
        const double resolutions[2] = {400, 800};
        int next = 0;
        for (auto _ : bench) {
            bench.PauseTiming();
            rig.keepKWinBusy(resolutions[next]);
            next ^= 1;
            bench.ResumeTiming();
            rig.requestReopen();
        }
        if (rig.reopens != static_cast<int>(bench.iterations()))
            bench.SkipWithError("a reopen request went unanswered");
        bench.SetLabel("stand-in KWin answering after 2 s");
    }
    setLogRedirect(previous);
}

// The running program's side: listening where a start in the same environment looks for it.
struct SecondStartRig
{
    SecondStartRig()
    {
        kwin.startBus();
        kwin.start();
        kwin.setBehaviour(kKWinDelayMs);
        qputenv("XDG_RUNTIME_DIR", directory.path().toLocal8Bit());
        qunsetenv("DISPLAY");
        instance.emplace();
        instance->claim();
        instance->listen();
        QObject::connect(&*instance, &SingleInstance::reopenRequested, [this] { ++reopens; });
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), directory.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), directory.filePath("config"));
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), kwin.busAddress());
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-bench"));
        environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
        environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("KDE"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(environment);
        program.setProgram(QStringLiteral(VELOQUILL_PROGRAM));
        program.setStandardOutputFile(QProcess::nullDevice());
        program.setStandardErrorFile(QProcess::nullDevice());
    }

    test::StandInKWin kwin;
    QTemporaryDir directory;
    std::optional<SingleInstance> instance;
    QProcess program;
    int reopens = 0;
};

void secondStartWhileKWinIsSlow(benchmark::State& bench)
{
    const LogRedirect previous = setLogRedirect([](const QString&) {});
    {
        SecondStartRig rig;
        for (auto _ : bench) {
            QElapsedTimer sinceStart;
            sinceStart.start();
            rig.program.start();
            awaitReopen(*rig.instance, rig.reopens);
            bench.SetIterationTime(double(sinceStart.nsecsElapsed()) / 1e9);
            rig.program.waitForFinished(5000);
        }
        if (rig.reopens != static_cast<int>(bench.iterations()))
            bench.SkipWithError("a second start did not reach the running program");
        bench.SetLabel("veloquill started again; stand-in KWin answering after 2 s");
    }
    setLogRedirect(previous);
}

} // namespace

BENCHMARK(secondStartWhileKWinIsSlow)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(20)
    ->Repetitions(3)
    ->ReportAggregatesOnly();

BENCHMARK(reopenWhileKWinIsSlow)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(50)
    ->Repetitions(3)
    ->ReportAggregatesOnly();
