// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// One step of a slider drag: the change handler, the rewrite of the per-device table and the
// device writes, against the simulated event system, with 1, 100 and 10,000 records; the
// median and 95th percentile of the steps are printed beside the mean.
//
// stepSyscalls runs 50 steps with 100 records on the settings file between two marker calls
// (access() of /veloquill-bench-steps-begin and -end); bench/count_step_syscalls runs it
// under strace and prints the system calls and data syncs per step.
#include "device/pointer_device_manager.h"
#include "settings/in_memory_defaults_store.h"
#include "settings/qsettings_defaults_store.h"
#include "settings/veloquill_pointer_settings_state.h"
#include "sim/simulated_backend.h"
#include "support/log.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include <unistd.h>

using namespace veloquill;

namespace {

enum class StoreKind
{
    InMemory,
    SettingsFile
};

// Runs queued work and the read-backs that have fallen due.
void settleMainLoop()
{
    QThread::msleep(60);
    for (int pass = 0; pass < 4; ++pass) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

// A selected device, and a stored table of `records` records one of which is that device's.
struct SliderRig
{
    SliderRig(int records, StoreKind kind)
    {
        manager->startObservation();
        system->addDevice(sim::DeviceSpec::mouse(QStringLiteral("Head Mouse"), 4660, 171));
        settleMainLoop();
        if (kind == StoreKind::SettingsFile)
            store = std::make_shared<QSettingsDefaultsStore>(directory.path() +
                                                             QStringLiteral("/Veloquill.conf"));
        else
            store = std::make_shared<test::InMemoryDefaultsStore>();

        DeviceSettingsTable table;
        table.insert(QStringLiteral("4660-171-Head Mouse-N/A"), {0.5, 1.0, false});
        for (int i = 1; i < records; ++i)
            table.insert(QStringLiteral("%1-%2-Foot Mouse %3-SN%4").arg(i).arg(i * 7).arg(i).arg(i),
                         {i / double(records), 1.0 + i % 19, i % 3 == 0});
        store->setData(VeloquillPointerSettingsState::DeviceSettingsKey,
                       *encodeDeviceSettingsTable(table).data);

        state = std::make_unique<VeloquillPointerSettingsState>(*manager, store);
        state->ensureDeviceSelectionAndLoadSettings();
    }

    QTemporaryDir directory;
    std::shared_ptr<sim::SimulatedBackend> system = std::make_shared<sim::SimulatedBackend>();
    std::unique_ptr<PointerDeviceManager> manager = std::make_unique<PointerDeviceManager>(system);
    std::shared_ptr<DefaultsStore> store;
    std::unique_ptr<VeloquillPointerSettingsState> state;
};

void sliderStep(benchmark::State& bench, StoreKind kind)
{
    // Lines are built as in the program but not printed, so the terminal is not measured.
    const LogRedirect previous = setLogRedirect([](const QString&) {});
    {
        SliderRig rig(static_cast<int>(bench.range(0)), kind);
        const double speeds[2] = {0.3, 0.7};
        int next = 0;
        std::vector<double> micros;
        for (auto _ : bench) {
            const auto begin = std::chrono::steady_clock::now();
            rig.state->setCurrentPointerSpeed(speeds[next]);
            micros.push_back(
                std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - begin)
                    .count());
            next ^= 1;
        }
        settleMainLoop();
        std::sort(micros.begin(), micros.end());
        bench.counters["median_us"] = micros[micros.size() / 2];
        bench.counters["p95_us"] = micros[micros.size() * 95 / 100];
        bench.SetLabel(kind == StoreKind::InMemory ? "in-memory store" : "INI file, synced");
    }
    setLogRedirect(previous);
}

} // namespace

BENCHMARK_CAPTURE(sliderStep, in_memory, StoreKind::InMemory)
    ->Arg(1)
    ->Arg(100)
    ->Arg(10000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(sliderStep, settings_file, StoreKind::SettingsFile)
    ->Arg(1)
    ->Arg(100)
    ->Arg(10000)
    ->Unit(benchmark::kMicrosecond);

namespace {
void stepSyscalls(benchmark::State& bench)
{
    const LogRedirect previous = setLogRedirect([](const QString&) {});
    {
        SliderRig rig(100, StoreKind::SettingsFile);
        const double speeds[2] = {0.3, 0.7};
        int next = 0;
        // The markers strace sees around the steps.
        (void)::access("/veloquill-bench-steps-begin", F_OK);
        for (auto _ : bench) {
            rig.state->setCurrentPointerSpeed(speeds[next]);
            next ^= 1;
        }
        (void)::access("/veloquill-bench-steps-end", F_OK);
        settleMainLoop();
    }
    setLogRedirect(previous);
}
} // namespace

BENCHMARK(stepSyscalls)->Iterations(50)->Unit(benchmark::kMicrosecond);
