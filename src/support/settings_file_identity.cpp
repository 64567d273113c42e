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

SettingsFileIdentity settingsFileIdentity(const QString& path, SettingsFileStatus* status)
{
    const QByteArray name = QFile::encodeName(path);
    SettingsFileIdentity identity;
    SettingsFileStatus found = {SettingsFileKind::Missing, -1};
    struct stat link = {};
    struct stat target = {};
    if (::lstat(name.constData(), &link) == 0) {
        identity.isLink = S_ISLNK(link.st_mode);
        target = link;
        if (identity.isLink && ::stat(name.constData(), &target) != 0) {
            found.kind = SettingsFileKind::Other; // a dangling link
        } else {
            char resolved[PATH_MAX];
            identity = writtenFileIdentity(target, identity.isLink,
                                           identity.isLink && ::realpath(name.constData(), resolved)
                                               ? QByteArray(resolved)
                                               : QByteArray());
            found.mode = int(target.st_mode & 07777);
            found.kind = !S_ISREG(target.st_mode)     ? SettingsFileKind::Other
                         : (target.st_mode & S_IWUSR) ? SettingsFileKind::Regular
                                                      : SettingsFileKind::ReadOnly;
            if (found.kind != SettingsFileKind::Other) {
                found.owner = target.st_uid;
                found.group = target.st_gid;
            }
        }
    }
    if (status)
        *status = found;
    return identity;
}

SettingsFileIdentity writtenFileIdentity(const struct stat& written, bool isLink,
                                         const QByteArray& target)
{
    SettingsFileIdentity identity;
    identity.exists = true;
    identity.isLink = isLink;
    identity.target = target;
    identity.device = written.st_dev;
    identity.inode = written.st_ino;
    identity.size = written.st_size;
    identity.modifiedSeconds = written.st_mtim.tv_sec;
    identity.modifiedNanoseconds = written.st_mtim.tv_nsec;
    identity.owner = written.st_uid;
    return identity;
}

uint effectiveUserId()
{
    return ::geteuid();
}

} // namespace veloquill
