// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <optional>

namespace veloquill {

// One file in the user's XDG autostart folder. Every question goes to the file system; nothing
// is cached, so a change made by the desktop's own autostart settings is seen at the next read.
class AutostartEntry
{
public:
    // ${XDG_CONFIG_HOME:-~/.config}/autostart/<name>.desktop, the folder read from the
    // environment at each call.
    explicit AutostartEntry(QString name);

    QString filePath() const;

    // The desktop starts the entry at login: the file exists and neither says Hidden=true
    // nor X-GNOME-Autostart-enabled=false. An unreadable file starts nothing.
    bool isEnabled() const;

    // Writes an entry that starts the given program, an absolute path or a bare name the PATH
    // finds, creating the autostart folder if needed. The entry is written beside the old one and
    // renamed over it, so a failure leaves the old entry as it was. Returns why it failed, or
    // nothing.
    std::optional<QString> write(const QString& program) const;

    // Removes the entry; an absent entry is already removed. Returns why it failed, or nothing.
    std::optional<QString> remove() const;

private:
    QString m_name;
};

} // namespace veloquill
