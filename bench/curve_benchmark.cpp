// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// One slider step with the curve under the sliders recomputed and drawn (into an image, as
// the offscreen platform has no screen): its median must stay under 2 ms.
#include "device/pointer_device_manager.h"
#include "device/x11/x11_pointer_curve.h"
#include "settings/in_memory_defaults_store.h"
#include "settings/veloquill_pointer_settings_state.h"
#include "sim/simulated_backend.h"
#include "sim/simulated_device.h"
#include "support/log.h"
#include "views/pointer_curve_view.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>

#include <memory>

using namespace veloquill;

namespace {

void curveStep(benchmark::State& bench, PointerCurveModel::Kind kind)
{
    const LogRedirect previous = setLogRedirect([](const QString&) {});
    {
        auto system = std::make_shared<sim::SimulatedBackend>();
        auto manager = std::make_unique<PointerDeviceManager>(system);
        manager->startObservation();
        auto service =
            system->addDevice(sim::DeviceSpec::mouse(QStringLiteral("Head Mouse"), 4660, 171));
        service->setCurveModel(x11::curveModel(kind));
        QCoreApplication::processEvents();
        VeloquillPointerSettingsState state(*manager,
                                            std::make_shared<test::InMemoryDefaultsStore>());
        state.ensureDeviceSelectionAndLoadSettings();
        QWidget host;
        auto* view = new PointerCurveView(state, &host);
        host.resize(480, view->sizeHint().height());
        QImage image(host.size(), QImage::Format_ARGB32_Premultiplied);
        const double speeds[2] = {0.3, 0.7};
        int next = 0;
        for (auto _ : bench) {
            state.setCurrentPointerSpeed(speeds[next]);
            next ^= 1;
            view->render(&image);
        }
    }
    setLogRedirect(previous);
}

} // namespace

BENCHMARK_CAPTURE(curveStep, desktop_libinput, PointerCurveModel::Kind::Libinput)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(curveStep, x11_server, PointerCurveModel::Kind::X11Server)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
