// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/settings_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>

#include <algorithm>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace veloquill {

namespace {
// How long a write waits for a lock another writer holds, on the main thread: that writer holds
// it for the milliseconds of one write, and a lock left by a process gone is taken over at once.
constexpr int LockWaitMs = 1000;

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// What QLockFile writes into a lock, line by line; the same for the whole run.
const QByteArray& lockContents()
{
    static const QByteArray contents =
        QByteArray::number(QCoreApplication::applicationPid()) + '\n' +
        QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).fileName().toUtf8() +
        '\n' + QSysInfo::machineHostName().toUtf8() + '\n' + QSysInfo::machineUniqueId() + '\n' +
        QSysInfo::bootUniqueId() + '\n';
    return contents;
}

int createExclusive(const QByteArray& path, int mode)
{
    return ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  mode_t(mode));
}
} // namespace

bool writeAll(int fd, const QByteArray& bytes)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += n;
    }
    return true;
}

std::optional<QByteArray> readRegularFile(const QString& path, QString* error, bool followLinks)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_NONBLOCK | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        *error = systemError();
        return std::nullopt;
    }
    struct stat status = {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        *error = QStringLiteral("not a regular file");
        return std::nullopt;
    }
    QByteArray bytes;
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *error = systemError();
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        bytes.append(buffer, n);
    }
    ::close(fd);
    return bytes;
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
    SettingsFileStatus status;
    settingsFileIdentity(path, &status);
    const int mode = std::max(status.mode, 0) | S_IRUSR | S_IWUSR;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const QString aside = unreadableAside(path, attempt);
        const int fd = createExclusive(QFile::encodeName(aside), mode);
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

SettingsFileLock::~SettingsFileLock()
{
    if (m_fd < 0)
        return;
    ::unlink(m_path.constData());
    ::close(m_fd);
}

SettingsFileLock::Outcome SettingsFileLock::take(const QString& lockPath, QString* why)
{
    m_path = QFile::encodeName(lockPath);
    int fd = createExclusive(m_path, 0666);
    if (fd < 0 && errno == ENOENT && QDir().mkpath(QFileInfo(lockPath).path()))
        fd = createExclusive(m_path, 0666);
    if (fd >= 0) {
        // flock() as QLockFile does: a QLockFile that thinks the lock stale cannot take it away.
        if (!writeAll(fd, lockContents()) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            *why = systemError();
            ::unlink(m_path.constData());
            ::close(fd);
            return Outcome::Failed;
        }
        m_fd = fd;
        return Outcome::Taken;
    }
    if (errno != EEXIST) {
        *why = systemError();
        return Outcome::Failed;
    }
    // Something is there: only a regular lock (and the one for removing a stale lock) is waited
    // for; a FIFO, a link or a folder would make QLockFile block or wait for ever.
    if (const QString problem = lockFileProblem(lockPath); !problem.isEmpty()) {
        *why = problem;
        return Outcome::Refused;
    }
    m_held = std::make_unique<QLockFile>(lockPath);
    if (m_held->tryLock(LockWaitMs))
        return Outcome::Taken;
    m_held.reset();
    *why = lockPath + QStringLiteral(" is held by another writer");
    return Outcome::Failed;
}

bool replaceFileDurably(const QString& target, const QByteArray& bytes,
                        const SettingsFileStatus& before, struct stat* written, QString* error)
{
    static const QByteArray ownPid = QByteArray::number(QCoreApplication::applicationPid());
    const QByteArray finalName = QFile::encodeName(target);
    QByteArray name;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        name = finalName + ".new-" + ownPid + '-' + QByteArray::number(attempt);
        fd = createExclusive(name, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        *error = systemError();
        return false;
    }
    // Owner before mode: a change of owner clears set-id bits. Only root can give a file away;
    // for anyone else it is theirs already.
    static const uid_t ownUser = ::geteuid();
    static const gid_t ownGroup = ::getegid();
    const bool existed = before.mode >= 0;
    bool ok = writeAll(fd, bytes);
    if (ok && existed && (before.owner != ownUser || before.group != ownGroup))
        (void)!::fchown(fd, before.owner, before.group);
    ok = ok && (!existed || ::fchmod(fd, mode_t(before.mode)) == 0) && ::fsync(fd) == 0 &&
         ::fstat(fd, written) == 0;
    if (ok)
        ok = ::rename(name.constData(), finalName.constData()) == 0;
    if (!ok) {
        *error = systemError();
        ::unlink(name.constData());
    }
    ::close(fd);
    return ok;
}

} // namespace veloquill
