// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/one_shot_commands.h"

#include "device/kwin/kwin_backend.h"
#include "device/pointer_device_manager.h"
#include "shell/backend_factory.h"
#include "shell/command_line.h"
#include "shell/single_instance.h"
#include "support/log.h"

#include <QCoreApplication>

#include <cstdio>

namespace veloquill {

namespace {
// How long `--restore` (before restoring itself) and `--precision` wait for a running
// Veloquill's answer.
constexpr int kAnswerPatienceMs = 3000;

// Why the backend cannot be reached to put anything back, empty when it can: without it the
// journal's devices would simply not be listed, which is no success.
QString unreachable(Backend backend, const BackendSystem& system)
{
    switch (backend) {
    case Backend::X11:
        if (system.x11->isConnected())
            return {};
        return system.x11->failureReason().isEmpty() ? QStringLiteral("the X display went away")
                                                     : system.x11->failureReason();
    case Backend::Sway:
        // Lets the connection and Sway's list of devices arrive, for a bounded time.
        system.backend->prepareRestore();
        if (system.backend->canControlPointerDevices())
            return {};
        return QStringLiteral("Sway's IPC socket ($SWAYSOCK) does not answer");
    case Backend::Gnome:
        if (system.backend->canControlPointerDevices())
            return {};
        return QStringLiteral("GNOME's pointer settings (org.gnome.desktop.peripherals) are not "
                              "installed");
    case Backend::KWin: // asked before its system was made
    case Backend::None:
        break;
    }
    return {};
}

// What the backend is said to have left undone when it cannot name the devices.
QString unconfirmed(Backend backend)
{
    switch (backend) {
    case Backend::KWin:
    case Backend::Sway:
        return (backend == Backend::KWin ? QStringLiteral("KWin") : QStringLiteral("Sway")) +
               QStringLiteral(" did not confirm that every device is back (the lines above say "
                              "which and why)");
    case Backend::Gnome:
        return QStringLiteral("GSettings did not take back every setting (the lines above say "
                              "which)");
    case Backend::X11:
    case Backend::None:
        break;
    }
    return QStringLiteral("the X server refused some writes (the lines above say which)");
}

// Empty when every device the journal names is back; else what is not, with where its
// originals are kept, or what the backend is said to have left undone.
QString whyNotRestored(const BackendChoice& choice, const X11BackendOptions& x11Options)
{
    // KWin's system learns of KWin in the background: whether KWin answers is asked first.
    if (choice.backend == Backend::KWin && !KWinBackend::managerAnswers())
        return QStringLiteral("KWin's input devices do not answer on the session bus");
    const BackendSystem backend = makeBackendSystem(choice, x11Options);
    if (QString why = unreachable(choice.backend, backend); !why.isEmpty())
        return why;
    PointerDeviceManager manager(backend.backend);
    manager.startObservation();
    const bool restored = manager.restoreInitialPointerSettings();
    manager.stopObservation();
    if (restored)
        return {};
    QString why = manager.notPutBack().isEmpty()
                      ? unconfirmed(choice.backend)
                      : QStringLiteral("not put back: ") + manager.notPutBack();
    if (backend.x11 && !backend.x11->isConnected())
        why.prepend(QStringLiteral("the X display went away; "));
    return why;
}
} // namespace

int restorePointerDevices(int argc, char** argv, const BackendChoice& choice,
                          const X11BackendOptions& x11Options)
{
    QCoreApplication app(argc, argv);
    QString reason;
    switch (SingleInstance::askToRestore(SingleInstance::defaultSocketPath(), kAnswerPatienceMs,
                                         &reason)) {
    case SingleInstance::RestoreAnswer::Restored:
        return 0;
    case SingleInstance::RestoreAnswer::Failed:
        break;
    case SingleInstance::RestoreAnswer::NoAnswer:
        std::fprintf(stderr,
                     "veloquill: the running Veloquill did not answer within %d s; "
                     "restoring from its journal here\n",
                     kAnswerPatienceMs / 1000);
        [[fallthrough]];
    case SingleInstance::RestoreAnswer::NoInstance:
        reason = escapedForLog(whyNotRestored(choice, x11Options));
        if (reason.isEmpty())
            return 0;
    }
    std::fprintf(stderr, "veloquill: could not restore pointer devices: %s\n", qPrintable(reason));
    return kNotRestoredStatus;
}

int switchPrecision(int argc, char** argv, const QString& mode)
{
    QCoreApplication app(argc, argv);
    switch (SingleInstance::askPrecision(SingleInstance::defaultSocketPath(), mode,
                                         kAnswerPatienceMs)) {
    case SingleInstance::PrecisionAnswer::On:
    case SingleInstance::PrecisionAnswer::Off:
        return 0;
    case SingleInstance::PrecisionAnswer::NoAnswer:
        std::fprintf(stderr,
                     "veloquill: the running Veloquill did not answer within %d s; precision "
                     "mode is unchanged\n",
                     kAnswerPatienceMs / 1000);
        return 1;
    case SingleInstance::PrecisionAnswer::NoInstance:
        break;
    }
    std::fprintf(stderr, "veloquill: no Veloquill is running to switch precision mode in\n");
    return 1;
}

} // namespace veloquill
