// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "views/desktop_settings_launcher.h"

#include <QProcess>
#include <QStandardPaths>

#include <algorithm>

namespace veloquill {

DesktopSettingsLauncher::DesktopSettingsLauncher()
    : DesktopSettingsLauncher(
          [](const QString& program) { return QStandardPaths::findExecutable(program); },
          [](const QString& path, const QStringList& arguments) {
              return QProcess::startDetached(path, arguments);
          },
          qEnvironmentVariable("XDG_CURRENT_DESKTOP"))
{}

DesktopSettingsLauncher::DesktopSettingsLauncher(FindProgram findProgram, StartProgram startProgram,
                                                 QString currentDesktop)
    : m_findProgram(std::move(findProgram)), m_startProgram(std::move(startProgram)),
      m_currentDesktop(std::move(currentDesktop))
{}

const std::vector<DesktopSettingsCommand>& DesktopSettingsLauncher::knownCommands()
{
    static const std::vector<DesktopSettingsCommand> commands{
        {QStringLiteral("KDE"), QStringLiteral("systemsettings"), {QStringLiteral("kcm_mouse")}},
        {QStringLiteral("GNOME"),
         QStringLiteral("gnome-control-center"),
         {QStringLiteral("mouse")}},
        {QStringLiteral("XFCE"), QStringLiteral("xfce4-mouse-settings"), {}},
        {QStringLiteral("MATE"), QStringLiteral("mate-mouse-properties"), {}},
        {QStringLiteral("LXQt"), QStringLiteral("lxqt-config-input"), {}},
        {QStringLiteral("X-Cinnamon"),
         QStringLiteral("cinnamon-settings"),
         {QStringLiteral("mouse")}},
    };
    return commands;
}

std::vector<DesktopSettingsCommand> DesktopSettingsLauncher::candidates() const
{
    // XDG_CURRENT_DESKTOP lists names from most to least specific ("ubuntu:GNOME").
    const QStringList running = m_currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    const auto rank = [&](const DesktopSettingsCommand& command) {
        for (qsizetype i = 0; i < running.size(); ++i) {
            if (running[i].compare(command.desktop, Qt::CaseInsensitive) == 0)
                return i;
        }
        return running.size();
    };
    std::vector<DesktopSettingsCommand> ordered = knownCommands();
    std::stable_sort(ordered.begin(), ordered.end(),
                     [&](const auto& a, const auto& b) { return rank(a) < rank(b); });
    return ordered;
}

std::optional<DesktopSettingsCommand> DesktopSettingsLauncher::open() const
{
    for (const DesktopSettingsCommand& command : candidates()) {
        const QString path = m_findProgram(command.program);
        if (!path.isEmpty() && m_startProgram(path, command.arguments))
            return command;
    }
    return std::nullopt;
}

} // namespace veloquill
