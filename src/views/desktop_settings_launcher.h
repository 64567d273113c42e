// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace veloquill {

// A desktop's own mouse settings program.
struct DesktopSettingsCommand
{
    QString desktop; // as named in XDG_CURRENT_DESKTOP
    QString program;
    QStringList arguments;

    bool operator==(const DesktopSettingsCommand&) const = default;
};

// Opens the mouse settings of whichever desktop is installed, the running one first.
class DesktopSettingsLauncher
{
public:
    // The program's full path, or empty when it is not installed.
    using FindProgram = std::function<QString(const QString& program)>;
    // Starts the program without waiting for it; whether it started.
    using StartProgram = std::function<bool(const QString& path, const QStringList& arguments)>;

    // Looks programs up on PATH, starts them detached, and reads the running desktop from
    // XDG_CURRENT_DESKTOP.
    DesktopSettingsLauncher();
    DesktopSettingsLauncher(FindProgram findProgram, StartProgram startProgram,
                            QString currentDesktop);

    static const std::vector<DesktopSettingsCommand>& knownCommands();

    // Every known command, those of the running desktop first, otherwise in the known order.
    std::vector<DesktopSettingsCommand> candidates() const;

    // Starts the first candidate that is installed and starts; the one it started, if any.
    std::optional<DesktopSettingsCommand> open() const;

private:
    FindProgram m_findProgram;
    StartProgram m_startProgram;
    QString m_currentDesktop;
};

} // namespace veloquill
