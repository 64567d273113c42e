// What the X11 backend costs its process while the pointer moves: 10,000 motions through the
// Xvfb mouse, sent by another process, with nobody observing input (the tray program's
// normal state) and, for comparison, with an event observer. CPU time is this process's
// only; the sender's work is in the sender's process and the server's.
#include "device/hid_keys.h"
#include "device/x11/x11_hid_event_system.h"
#include "x_driver.h"
#include "xvfb_server.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>

#include <memory>
#include <sys/wait.h>
#include <unistd.h>

using namespace veloquill;

namespace {

struct Rig
{
    std::unique_ptr<test::XvfbServer> server;
    std::shared_ptr<X11HidEventSystem> system;
    std::unique_ptr<HidEventSystemClient> client;
    int mouseId = -1;
};

Rig& rig()
{
    static Rig instance;
    return instance;
}

void countEvent(void* target, void*, const HidServiceClientRef&, const HidEventRef&)
{
    ++*static_cast<std::int64_t*>(target);
}

// Sends the motions from a child process and keeps this process's main loop running (and
// the backend's socket notifier armed) until the child is done.
void moveThePointerElsewhere(const QString& displayName, int deviceId, int motions)
{
    int done[2];
    if (pipe(done) != 0)
        return;
    const pid_t child = fork();
    if (child == 0) {
        close(done[0]);
        {
            test::XDriver driver(displayName);
            driver.moveThroughDevice(deviceId, 1, 0, motions);
        }
        _exit(0);
    }
    close(done[1]);
    {
        QEventLoop loop;
        QSocketNotifier finished(done[0], QSocketNotifier::Read);
        QObject::connect(&finished, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
        loop.exec();
    }
    close(done[0]);
    waitpid(child, nullptr, 0);
    // The backend answers one more request, so anything the server sent it has been read.
    rig().client->copyServices().value().front()->copyProperty(HidKey::PointerResolution);
    QCoreApplication::processEvents();
}

void runMotions(benchmark::State& state, bool observed, int motions)
{
    Rig& r = rig();
    if (!r.system) {
        state.SkipWithError("no X server (is Xvfb installed?)");
        return;
    }
    std::int64_t delivered = 0;
    auto client = r.system->createClient();
    client->registerEventCallback(&countEvent, &delivered, nullptr);
    client->setEventDeliveryEnabled(observed);
    client->scheduleWithMainLoop();

    std::uint64_t eventsRead = 0;
    for (auto _ : state) {
        const std::uint64_t before = r.system->eventsRead();
        moveThePointerElsewhere(r.server->displayName(), r.mouseId, motions);
        eventsRead += r.system->eventsRead() - before;
    }
    state.counters["x_events_read"] =
        benchmark::Counter(static_cast<double>(eventsRead), benchmark::Counter::kAvgIterations);
    state.counters["callbacks"] =
        benchmark::Counter(static_cast<double>(delivered), benchmark::Counter::kAvgIterations);
}

// The harness alone (a child process, a pipe, one round trip): what the others cost beyond it.
void BM_NoMotion(benchmark::State& state)
{
    runMotions(state, false, 0);
}
BENCHMARK(BM_NoMotion)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

void BM_TenThousandMotionsNobodyObserves(benchmark::State& state)
{
    runMotions(state, false, 10000);
}
BENCHMARK(BM_TenThousandMotionsNobodyObserves)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

void BM_TenThousandMotionsObserved(benchmark::State& state)
{
    runMotions(state, true, 10000);
}
BENCHMARK(BM_TenThousandMotionsObserved)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Rig& r = rig();
    if (test::XvfbServer::isInstalled()) {
        r.server = std::make_unique<test::XvfbServer>();
        r.system = std::make_shared<X11HidEventSystem>(
            X11HidEventSystemOptions{r.server->displayName(), false});
        r.client = r.system->createClient();
        r.client->scheduleWithMainLoop();
        r.mouseId = test::XDriver(r.server->displayName()).deviceId(QStringLiteral("Xvfb mouse"));
        if (!r.system->isConnected())
            r.system.reset();
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    r.client.reset();
    r.system.reset(); // before the server, which it would otherwise see go away
    r.server.reset();
    return 0;
}
