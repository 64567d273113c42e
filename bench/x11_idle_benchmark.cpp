// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// What the X11 backend costs its process while the pointer moves: 10,000 motions through the
// Xvfb mouse, sent by another process, with a scheduled client (the tray program's normal
// state). The backend selects no motion events, so it should not wake. CPU time is this
// process's only; the sender's work is in the sender's process and the server's.
#include "device/x11/x11_backend.h"
#include "x_driver.h"
#include "xvfb_server.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <memory>
#include <sys/wait.h>
#include <unistd.h>

using namespace veloquill;

namespace {

struct Rig
{
    std::unique_ptr<test::XvfbServer> server;
    std::shared_ptr<X11Backend> system;
    std::unique_ptr<DeviceWatch> client;
    int mouseId = -1;
};

Rig& rig()
{
    static Rig instance;
    return instance;
}

// Counts this process's wake-ups for a socket other than the harness's own pipe: those of
// the backend's X connection.
class WakeUpCounter : public QObject
{
public:
    explicit WakeUpCounter(QObject* ignored) : m_ignored(ignored)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    std::int64_t count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::SockAct && watched != m_ignored)
            ++count;
        return false;
    }

private:
    QObject* m_ignored;
};

// Sends the motions from a child process and keeps this process's main loop running (and
// the backend's socket notifier armed) until the child is done.
std::int64_t moveThePointerElsewhere(const QString& displayName, int deviceId, int motions)
{
    std::int64_t wakeUps = 0;
    int done[2];
    if (pipe(done) != 0)
        return 0;
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
        WakeUpCounter counter(&finished);
        loop.exec();
        wakeUps = counter.count;
    }
    close(done[0]);
    waitpid(child, nullptr, 0);
    // The backend answers one more request, so anything the server sent it has been read.
    rig().client->devices().value().front()->settings();
    QCoreApplication::processEvents();
    return wakeUps;
}

void runMotions(benchmark::State& state, int motions)
{
    Rig& r = rig();
    if (!r.system) {
        state.SkipWithError("no X server (is Xvfb installed?)");
        return;
    }
    std::int64_t wakeUps = 0;
    for (auto _ : state)
        wakeUps += moveThePointerElsewhere(r.server->displayName(), r.mouseId, motions);
    state.counters["wake_ups"] =
        benchmark::Counter(static_cast<double>(wakeUps), benchmark::Counter::kAvgIterations);
}

// The harness alone (a child process, a pipe, one round trip): what the others cost beyond it.
void BM_NoMotion(benchmark::State& state)
{
    runMotions(state, 0);
}
BENCHMARK(BM_NoMotion)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

void BM_TenThousandMotions(benchmark::State& state)
{
    runMotions(state, 10000);
}
BENCHMARK(BM_TenThousandMotions)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Rig& r = rig();
    if (!QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) {
        r.server = std::make_unique<test::XvfbServer>();
        r.system = std::make_shared<X11Backend>(
            X11BackendOptions{r.server->displayName(), false, QString()});
        r.client = r.system->watchDevices();
        r.client->start();
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
