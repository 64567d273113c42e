// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Which backend serves which session.
#include "shell/backend_choice.h"

#include <gtest/gtest.h>

namespace veloquill {
namespace {

TEST(BackendChoice, SessionAndForcedChoicePickTheBackend)
{
    using enum ControlUnavailableReason;
    const struct
    {
        SessionEnvironment environment;
        QString forced;
        bool kwinAnswers;
        Backend backend;
        ControlUnavailableReason unavailable = ControlUnavailableReason::NoReason;
    } rows[] = {
        {{{}, {}, ":0", "XFCE"}, {}, false, Backend::X11},
        {{"wayland-0", "wayland", ":0", "KDE"}, {}, true, Backend::KWin},
        {{{}, "wayland", {}, "KDE"}, {}, true, Backend::KWin}, // the session type alone
        // Not Xwayland's devices.
        {{"wayland-0", {}, ":0", "KDE"}, {}, false, Backend::None, KWinUnreachable},
        {{"wayland-0", "wayland", ":0", "ubuntu:GNOME"}, {}, false, Backend::Gnome},
        {{"wayland-0", {}, {}, "sway"}, {}, false, Backend::None, WaylandSession},
        {{"wayland-1", {}, {}, "sway", "/run/sway.sock"}, {}, true, Backend::Sway},
        {{{}, {}, ":0", {}}, "sway", false, Backend::Sway},
        {{}, {}, false, Backend::None, DisplayLost},
        {{"wayland-0", {}, {}, "GNOME"}, "x11", false, Backend::X11},
        {{{}, {}, ":0", {}}, "kwin", false, Backend::KWin},
        {{{}, {}, ":0", {}}, "gnome", false, Backend::Gnome},
        {{{}, {}, ":0", {}}, "mir", false, Backend::None}, // a usage error
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        int asked = 0;
        const BackendChoice choice = chooseBackend(row.environment, row.forced, [&] {
            ++asked;
            return row.kwinAnswers;
        });
        EXPECT_EQ(choice.backend, row.backend);
        EXPECT_EQ(choice.unavailable, row.unavailable);
        EXPECT_FALSE(choice.reason.isEmpty());
        // The bus is asked only in a Wayland session nothing forced.
        const bool wayland = !row.environment.waylandDisplay.isEmpty() ||
                             row.environment.sessionType == QStringLiteral("wayland");
        EXPECT_EQ(asked, wayland && row.forced.isEmpty() && row.backend != Backend::Gnome &&
                                 row.backend != Backend::Sway
                             ? 1
                             : 0);
    }
}

} // namespace
} // namespace veloquill
