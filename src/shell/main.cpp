// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// veloquill: per-device pointer speed and acceleration for the Linux desktop (X11, KDE Plasma
// on Wayland, GNOME on Wayland).
#include "device/kwin/kwin_backend.h"
#include "device/x11/x11_backend.h"
#include "shell/backend_choice.h"
#include "shell/command_line.h"
#include "shell/one_shot_commands.h"
#include "shell/single_instance.h"
#include "shell/tray_program.h"
#include "support/xdg_folders.h"

#include <QGuiApplication>

#include <csignal>
#include <cstdio>
#include <optional>

using namespace veloquill;

namespace {
// Without a usable runtime folder the program runs without them, saying so once.
SingleInstance::Role claimSingleInstance(std::optional<SingleInstance>& instance)
{
    if (const QString problem = runtimeFolder().problem; !problem.isEmpty()) {
        std::fprintf(stderr,
                     "veloquill: running without a single-instance check and a crash "
                     "journal: %s\n",
                     qPrintable(problem));
    }
    instance.emplace();
    return instance->claim();
}

// Whether an X display can be used at all, asked before Qt connects to it: without one
// Qt's own connection would abort the program with a less helpful message.
bool reportUnusableDisplay(const X11BackendOptions& options)
{
    const QString problem = X11Backend::displayProblem(options.displayName);
    if (problem.isEmpty())
        return false;
    std::fprintf(stderr, "veloquill: cannot control pointer devices: %s\n", qPrintable(problem));
    return true;
}

// The status to end with, after one line saying why, when the session leaves nothing to do.
std::optional<int> unusableSessionStatus(const BackendChoice& choice,
                                         const SessionEnvironment& session,
                                         const CommandLine& commandLine)
{
    // Nothing serves the session: with a Wayland display the window can still say why and what
    // to do; without any display there is nothing to show.
    if (choice.backend == Backend::None &&
        (commandLine.restore || session.waylandDisplay.isEmpty())) {
        // Without a Wayland display the X display's own problem is the more useful line.
        if (!session.waylandDisplay.isEmpty() || !reportUnusableDisplay(commandLine.x11Options))
            std::fprintf(stderr, "veloquill: cannot control pointer devices: %s\n",
                         qPrintable(choice.reason));
        return kDisplayUnusableStatus;
    }
    if (choice.backend == Backend::X11 && reportUnusableDisplay(commandLine.x11Options))
        return kDisplayUnusableStatus;
    return std::nullopt;
}
} // namespace

int main(int argc, char** argv)
{
    // A display that goes away mid-write must be seen as a broken connection, which the
    // program answers by putting devices back, not as a signal that ends it on the spot.
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication::setApplicationName(QStringLiteral("Veloquill"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELOQUILL_VERSION));
    // Before any window: Wayland takes it as the windows' app id, and X11 docks find the menu
    // entry through it.
    QGuiApplication::setDesktopFileName(QStringLiteral(VELOQUILL_APP_ID));
    const CommandLine commandLine = parseCommandLine(argc, argv);
    if (commandLine.exitStatus)
        return *commandLine.exitStatus;
    if (!commandLine.precision.isEmpty())
        return switchPrecision(argc, argv, commandLine.precision);
    // A second start reaches the running program before any desktop is asked anything: a slow
    // bus or compositor must not hold up the window it asks for.
    std::optional<SingleInstance> instance;
    if (!commandLine.restore && claimSingleInstance(instance) == SingleInstance::Role::Secondary)
        return 0;
    const SessionEnvironment session = SessionEnvironment::ofProcess();
    const BackendChoice choice =
        chooseBackend(session, commandLine.backend, [] { return KWinBackend::managerAnswers(); });
    if (const std::optional<int> status = unusableSessionStatus(choice, session, commandLine))
        return *status;
    if (commandLine.restore)
        return restorePointerDevices(argc, argv, choice, commandLine.x11Options);
    return runTrayProgram(argc, argv, choice, commandLine.x11Options, instance);
}
