// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "support/settings_file.h"

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

namespace veloquill {

// Enough of what a path leads to for telling whether anyone wrote, replaced or relinked it
// since it was last looked at: a rename over it changes the inode, an edit in place the size
// or the modification time (to the nanosecond).
struct SettingsFileIdentity
{
    bool exists = false;
    bool isLink = false; // the path itself is a symbolic link
    QByteArray target;   // where a link leads, links resolved; empty for a regular file
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 modifiedSeconds = 0;
    qint64 modifiedNanoseconds = 0;
    uint owner = 0;

    friend bool operator==(const SettingsFileIdentity&, const SettingsFileIdentity&) = default;
};

// Looked up without opening anything: one lstat() for a file that is no link. With status, what
// settingsFileStatus() says of the path, from the same look.
SettingsFileIdentity settingsFileIdentity(const QString& path,
                                          SettingsFileStatus* status = nullptr);

// The identity of a file just written (`written`) at a path that is, or is not, a link leading
// to `target`.
SettingsFileIdentity writtenFileIdentity(const struct stat& written, bool isLink,
                                         const QByteArray& target);

// The user id this process creates files as.
uint effectiveUserId();

} // namespace veloquill
