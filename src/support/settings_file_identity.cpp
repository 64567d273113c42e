// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/settings_file_identity.h"

#include <QFile>

#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace veloquill {

SettingsFileIdentity settingsFileIdentity(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    SettingsFileIdentity identity;
    struct stat link = {};
    if (::lstat(name.constData(), &link) != 0)
        return identity;
    identity.isLink = S_ISLNK(link.st_mode);
    struct stat target = link;
    if (identity.isLink && ::stat(name.constData(), &target) != 0)
        return identity; // a dangling link
    identity.exists = true;
    char resolved[PATH_MAX];
    if (::realpath(name.constData(), resolved))
        identity.target = resolved;
    identity.device = target.st_dev;
    identity.inode = target.st_ino;
    identity.size = target.st_size;
    identity.modifiedSeconds = target.st_mtim.tv_sec;
    identity.modifiedNanoseconds = target.st_mtim.tv_nsec;
    identity.owner = target.st_uid;
    return identity;
}

uint effectiveUserId()
{
    return ::geteuid();
}

} // namespace veloquill
