// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/settings_file_writer.h"

#include "support/write_all.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
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
