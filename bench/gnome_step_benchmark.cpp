// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// One step of a slider drag with the GNOME backend: the change handler, the rewrite of the
// stored table, the journal and the writes of GNOME's settings through GSettings (its keyfile
// backend, which writes its file on every change). Run it under umockdev-wrapper, which
// describes the device to udev.
#include "device/gnome/gnome_backend.h"
#include "device/pointer_device.h"
#include "device/pointer_device_manager.h"
#include "gnome_test_bed.h"
#include "head_mouse_record.h"
#include "support/log.h"
#include "support/main_loop.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <memory>
#include <optional>

using namespace veloquill;

namespace {

// GNOME's settings in a folder of the benchmark's, never the user's.
const QTemporaryDir home;
[[maybe_unused]] const bool configured =
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8()) && qputenv("GSETTINGS_BACKEND", "keyfile");

struct GnomeSliderRig
{
    GnomeSliderRig()
    {
        bed.add("3", "Head Mouse", 4660, 171, "ID_INPUT_MOUSE");
        system = std::make_shared<GnomeBackend>(journal.path());
        record.emplace(system);
    }

    test::PointerTestBed bed;
    // The runtime folder the journal is kept in is a tmpfs in a real session. (GNOME keeps its
    // settings in dconf, which takes a write without waiting for the disk: the keyfile here,
    // written and synced on every change, costs more.)
    QTemporaryDir journal{QStringLiteral("/dev/shm/veloquill-bench-XXXXXX")};
    std::shared_ptr<GnomeBackend> system;
    std::optional<test::HeadMouseRecord> record;
};

void gnomeSliderStep(benchmark::State& bench)
{
    // Lines are built as in the program but not printed, so the terminal is not measured.
    const LogRedirect previous = setLogRedirect([](const QString&) {});
    {
        GnomeSliderRig rig;
        if (!rig.bed.active() || rig.record->manager->devices().empty()) {
            bench.SkipWithError("no device: run it under umockdev-wrapper");
            setLogRedirect(previous);
            return;
        }
        const double speeds[2] = {0.3, 0.7};
        int next = 0;
        for (auto _ : bench) {
            rig.record->state->setCurrentPointerSpeed(speeds[next]);
            next ^= 1;
            // GSettings' change notices and the read-back are the window's loop's, not the
            // step's own cost.
            bench.PauseTiming();
            QCoreApplication::processEvents();
            bench.ResumeTiming();
        }
        test::drainMainLoop();
        bench.SetLabel("GSettings keyfile backend on disk, journal on tmpfs");
    }
    setLogRedirect(previous);
}

} // namespace

BENCHMARK(gnomeSliderStep)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();
