// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "support/settings_file.h"

#include <QByteArray>
#include <QLockFile>
#include <QString>

#include <memory>

#include <sys/stat.h>

namespace veloquill {

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
