// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// One step of a slider drag with the KWin backend: the change handler, the rewrite of the
// stored table and the writes to a stand-in KWin (its own process on a private bus, saving its
// settings file on every change as KWin does). The writes do not wait for KWin's answers.
#include "device/kwin/kwin_backend.h"
#include "device/pointer_device.h"
#include "device/pointer_device_manager.h"
#include "head_mouse_record.h"
#include "stand_in_kwin.h"
#include "support/log.h"
#include "support/main_loop.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <memory>
#include <optional>

using namespace veloquill;

namespace {

struct KWinSliderRig
{
    KWinSliderRig()
    {
        kwin.startBus();
        kwin.start();
        kwin.addDevice(QStringLiteral("event3"), QStringLiteral("Head Mouse"), 4660, 171);
        system =
            std::make_shared<KWinBackend>(KWinBackendOptions{kwin.busAddress(), journal.path()});
        record.emplace(system);
        // KWin's device list arrives in the background.
        test::runMainLoopUntil([this] { return !record->manager->devices().empty(); });
    }

    test::StandInKWin kwin;
    QTemporaryDir journal;
    std::shared_ptr<KWinBackend> system;
    std::optional<test::HeadMouseRecord> record;
};

void kwinSliderStep(benchmark::State& bench)
{
    // Lines are built as in the program but not printed, so the terminal is not measured.
    const LogRedirect previous = setLogRedirect([](const QString&) {});
    {
        KWinSliderRig rig;
        if (rig.record->manager->devices().empty()) {
            bench.SkipWithError("the stand-in KWin did not start (is dbus-daemon installed?)");
            setLogRedirect(previous);
            return;
        }
        const double speeds[2] = {0.3, 0.7};
        int next = 0;
        for (auto _ : bench) {
            rig.record->state->setCurrentPointerSpeed(speeds[next]);
            next ^= 1;
            // KWin takes each step's writes before the next step comes, as in a drag by hand
            // (a read waits for the writes before it), and the window's loop takes its
            // answers; neither is the step's own cost.
            bench.PauseTiming();
            benchmark::DoNotOptimize(rig.record->manager->devices().front()->pointerResolution());
            QCoreApplication::processEvents();
            bench.ResumeTiming();
        }
        test::drainMainLoop();
        bench.SetLabel("stand-in KWin on a private bus");
    }
    setLogRedirect(previous);
}

} // namespace

BENCHMARK(kwinSliderStep)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();
