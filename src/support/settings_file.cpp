// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/settings_file.h"

#include "support/write_all.h"

#include <QFile>

#include <algorithm>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace veloquill {

namespace {
QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool readAll(const QString& path, QByteArray* bytes, QString* error, bool followLinks)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_NONBLOCK | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        *error = systemError();
        return false;
    }
    struct stat status = {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        *error = QStringLiteral("not a regular file");
        return false;
    }
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *error = systemError();
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        bytes->append(buffer, n);
    }
    ::close(fd);
    return true;
}
} // namespace

std::optional<QByteArray> readRegularFile(const QString& path, QString* error, bool followLinks)
{
    QByteArray bytes;
    if (!readAll(path, &bytes, error, followLinks))
        return std::nullopt;
    return bytes;
}

SettingsFileStatus settingsFileStatus(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat link = {};
    if (::lstat(name.constData(), &link) != 0)
        return {SettingsFileKind::Missing, -1};
    struct stat target = {};
    if (::stat(name.constData(), &target) != 0)
        return {SettingsFileKind::Other, -1};
    const int mode = int(target.st_mode & 07777);
    if (!S_ISREG(target.st_mode))
        return {SettingsFileKind::Other, mode};
    return {(target.st_mode & S_IWUSR) ? SettingsFileKind::Regular : SettingsFileKind::ReadOnly,
            mode, target.st_uid, target.st_gid};
}

void setSettingsFileMode(const QString& path, int mode)
{
    if (settingsFileStatus(path).mode != mode)
        ::chmod(QFile::encodeName(path).constData(), mode_t(mode));
}

void keepOwnerAndMode(const QString& path, const SettingsFileStatus& before)
{
    if (before.mode < 0)
        return;
    const SettingsFileStatus now = settingsFileStatus(path);
    // Only root can give a file away; for anyone else the file is theirs already. First, as a
    // change of owner clears set-id bits.
    if (now.mode >= 0 && (now.owner != before.owner || now.group != before.group))
        (void)!::chown(QFile::encodeName(path).constData(), before.owner, before.group);
    setSettingsFileMode(path, before.mode);
}

QString ownFileProblem(const QString& path, mode_t type)
{
    struct stat status = {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0 ||
        (status.st_mode & S_IFMT) == type)
        return {};
    if (S_ISLNK(status.st_mode))
        return path + QStringLiteral(" is a symbolic link");
    return path + (type == S_IFSOCK ? QStringLiteral(" is not a socket")
                                    : QStringLiteral(" is not a regular file"));
}

QString lockFileProblem(const QString& lockPath)
{
    const QString problem = ownFileProblem(lockPath);
    return problem.isEmpty() ? ownFileProblem(lockPath + QStringLiteral(".rmlock")) : problem;
}

QString unreadableAside(const QString& path, int attempt)
{
    return path + QStringLiteral(".unreadable") +
           (attempt ? QLatin1Char('.') + QString::number(attempt) : QString());
}

QString copyAside(const QString& path, QString* error)
{
    const std::optional<QByteArray> bytes = readRegularFile(path, error);
    if (!bytes)
        return {};
    const int mode = std::max(settingsFileStatus(path).mode, 0) | S_IRUSR | S_IWUSR;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const QString aside = unreadableAside(path, attempt);
        const int fd = ::open(QFile::encodeName(aside).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0) {
            *error = systemError();
            return {};
        }
        const bool written = writeAll(fd, *bytes) && ::fsync(fd) == 0;
        if (!written)
            *error = systemError();
        ::close(fd);
        if (!written) {
            ::unlink(QFile::encodeName(aside).constData());
            return {};
        }
        return aside;
    }
    *error = QStringLiteral("every name for a copy is taken");
    return {};
}

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
