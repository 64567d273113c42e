// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/backend_choice.h"

#include <QStringList>

namespace veloquill {

namespace {
bool runs(const QString& currentDesktop, const QString& desktop)
{
    return currentDesktop.split(QLatin1Char(':')).contains(desktop, Qt::CaseInsensitive);
}
} // namespace

SessionEnvironment SessionEnvironment::ofProcess()
{
    return {qEnvironmentVariable("WAYLAND_DISPLAY"), qEnvironmentVariable("XDG_SESSION_TYPE"),
            qEnvironmentVariable("DISPLAY"), qEnvironmentVariable("XDG_CURRENT_DESKTOP"),
            qEnvironmentVariable("SWAYSOCK")};
}

BackendChoice chooseBackend(const SessionEnvironment& environment, const QString& forced,
                            const std::function<bool()>& kwinAnswers)
{
    if (forced == QStringLiteral("x11"))
        return {Backend::X11, QStringLiteral("chosen with --backend x11")};
    if (forced == QStringLiteral("kwin"))
        return {Backend::KWin, QStringLiteral("chosen with --backend kwin")};
    if (forced == QStringLiteral("gnome"))
        return {Backend::Gnome, QStringLiteral("chosen with --backend gnome")};
    if (forced == QStringLiteral("sway"))
        return {Backend::Sway, QStringLiteral("chosen with --backend sway")};
    // A usage error, which the command line refuses before any session is looked at.
    if (!forced.isEmpty())
        return {Backend::None, QStringLiteral("--backend takes x11, kwin, gnome or sway, not \"") +
                                   forced + QLatin1Char('"')};
    // A Wayland session may offer an X display too (Xwayland), whose devices only stand in
    // for the compositor's: Wayland decides.
    if (!environment.waylandDisplay.isEmpty() ||
        environment.sessionType.compare(QStringLiteral("wayland"), Qt::CaseInsensitive) == 0) {
        // "ubuntu:GNOME" and the like: GNOME's settings, whoever brands it.
        if (runs(environment.currentDesktop, QStringLiteral("GNOME")))
            return {Backend::Gnome, QStringLiteral("a Wayland session of GNOME")};
        // Sway names its IPC socket to every program it starts.
        if (!environment.swaySocket.isEmpty())
            return {Backend::Sway, QStringLiteral("a Wayland session of Sway")};
        if (kwinAnswers())
            return {Backend::KWin, QStringLiteral("a Wayland session whose KWin answers")};
        if (runs(environment.currentDesktop, QStringLiteral("KDE")))
            return {Backend::None,
                    QStringLiteral("KWin's input devices do not answer on the session bus"),
                    ControlUnavailableReason::KWinUnreachable};
        return {Backend::None,
                QStringLiteral("this Wayland session's compositor offers no per-device pointer "
                               "settings to other programs"),
                ControlUnavailableReason::WaylandSession};
    }
    if (!environment.display.isEmpty())
        return {Backend::X11, QStringLiteral("an X11 session")};
    return {
        Backend::None,
        QStringLiteral("no X11 or Wayland session (neither DISPLAY nor WAYLAND_DISPLAY is set)"),
        ControlUnavailableReason::DisplayLost};
}

} // namespace veloquill
