// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/about_window_controller.h"

#include "shell/about_info.h"
#include "shell/shell_window.h"

#include <QCoreApplication>

#include <string_view>

namespace veloquill {

namespace {
// The words packaging/about.cmake gives, written here too so that the translation tools find
// them; the build stops when the two part.
constexpr char kSessions[] = QT_TRANSLATE_NOOP(
    "veloquill::AboutFacts",
    "X11 sessions (through XInput 2), KDE Plasma on Wayland (through KWin), GNOME on Wayland "
    "(through GNOME's mouse and touchpad settings, one speed for each kind of device) and Sway "
    "(through its IPC socket)");
constexpr char kLicenseName[] =
    QT_TRANSLATE_NOOP("veloquill::AboutFacts", "GNU General Public License, version 3 or later");
static_assert(std::string_view(kSessions) == about::kSessions,
              "packaging/about.cmake changed VELOQUILL_SESSIONS: change it here too");
static_assert(std::string_view(kLicenseName) == about::kLicenseName,
              "packaging/about.cmake changed VELOQUILL_LICENSE_NAME: change it here too");

QString translated(const char* text)
{
    return QCoreApplication::translate("veloquill::AboutFacts", text);
}
} // namespace

AboutFacts aboutFacts()
{
    return {
        QString::fromUtf8(about::kVersion), translated(kSessions),
        QStringLiteral("%1 (%2)").arg(translated(kLicenseName), QString::fromUtf8(about::kLicense)),
        QUrl(QString::fromUtf8(about::kHomepage)), QUrl(QString::fromUtf8(about::kBugTracker))};
}

void bringAboutWindowToFront()
{
    static OnDemandWindow about;
    about.bringForward(
        [] {
            auto* window = new ShellWindow(
                QCoreApplication::translate("veloquill::AboutWindowController", "About Veloquill"),
                QSize(500, 600));
            // Fixed, at most as large as the screen; larger text scrolls.
            window->setFixedSize(window->size());
            window->setContent(new AboutView(aboutFacts()));
            return window;
        },
        QStringLiteral("Error: About window could not be initialized."));
}

} // namespace veloquill
