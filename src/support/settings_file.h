// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QLockFile>
#include <QString>

#include <memory>
#include <optional>

#include <sys/stat.h>
#include <sys/types.h>

namespace veloquill {

// What a settings path holds, found without opening it: a FIFO opened for reading blocks,
// and writing through a device node or a folder destroys it.
enum class SettingsFileKind
{
    Missing,  // nothing there yet: a first write creates a regular file
    Regular,  // a regular file, directly or through symbolic links, that the owner may write
    ReadOnly, // a regular file without owner write permission, kept as it is even for root
    Other,    // a FIFO, socket, device, folder or dangling link: never opened nor written
};

struct SettingsFileStatus
{
    SettingsFileKind kind;
    int mode; // the permission bits of the file the path leads to, or -1
    // Its owner and group; meaningful only with a mode.
    uid_t owner = 0;
    gid_t group = 0;
};

// Why a file of the program's own (a lock, the crash journal, the single-instance socket) must
// not be handed to what opens it: anything there but a `type` (S_IFREG, S_IFSOCK) that is no
// link. A FIFO blocks the open, a link to /dev/zero feeds a read without end, a folder makes a
// lock wait for ever. Empty when the path is free or holds such a file.
QString ownFileProblem(const QString& path, mode_t type = S_IFREG);

// The same for a lock QLockFile takes (QSettings takes <file>.lock on every write): the lock
// itself and the one QLockFile takes to remove a stale lock. A stale regular lock is fine.
QString lockFileProblem(const QString& lockPath);

// Writes all of bytes to fd, going on after a signal; false on any error.
bool writeAll(int fd, const QByteArray& bytes);

// The whole file, opened without blocking (and, with followLinks false, only if no link) and
// read only if it is a regular file; nothing (and the reason in *error) otherwise.
std::optional<QByteArray> readRegularFile(const QString& path, QString* error,
                                          bool followLinks = true);

// The name of the attempt-th place beside the file for what could not be read:
// <path>.unreadable, then <path>.unreadable.1, …
QString unreadableAside(const QString& path, int attempt);

// Copies the regular file byte for byte to the first free name among <path>.unreadable,
// <path>.unreadable.1, …, synced to disk; an existing name is never replaced. Returns the
// copy's path, or an empty string (and the reason in *error) when no copy reached the disk.
QString copyAside(const QString& path, QString* error);

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
// the path holds, from the same look.
SettingsFileIdentity settingsFileIdentity(const QString& path,
                                          SettingsFileStatus* status = nullptr);

// The identity of a file just written (`written`) at a path that is, or is not, a link leading
// to `target`.
SettingsFileIdentity writtenFileIdentity(const struct stat& written, bool isLink,
                                         const QByteArray& target);

// The lock QSettings takes beside the file it writes (<file>.lock), taken the same way —
// created exclusively, holding what QLockFile writes (pid, program, host, machine and boot
// ids) and flock()ed — so that a QSettings of another process waits for it and finds it stale
// once this process is gone. Unlike QLockFile it is not flushed to disk: it lives for the
// length of one write. Released when destroyed.
class SettingsFileLock
{
public:
    enum class Outcome
    {
        Taken,
        Refused, // something other than a regular file is there: never opened nor waited for
        Failed,  // held by another writer longer than a second, or the folder is not writable
    };

    SettingsFileLock() = default;
    ~SettingsFileLock();
    SettingsFileLock(const SettingsFileLock&) = delete;
    SettingsFileLock& operator=(const SettingsFileLock&) = delete;

    // Creates the folder if needed. *why says what is there, or what failed.
    Outcome take(const QString& lockPath, QString* why);

private:
    int m_fd = -1;
    QByteArray m_path;
    std::unique_ptr<QLockFile> m_held; // when another writer held it first
};

// Replaces the regular file `target` by `bytes`: a new file beside it, flushed to disk and
// renamed over it, so that a crash leaves the old file or the new one, never a mix. A file that
// was there (`before`) gives the new one its permission bits, owner and group (root rewriting a
// user's file leaves it theirs). *written is the new file's status.
bool replaceFileDurably(const QString& target, const QByteArray& bytes,
                        const SettingsFileStatus& before, struct stat* written, QString* error);

} // namespace veloquill
