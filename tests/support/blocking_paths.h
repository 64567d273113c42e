// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace veloquill::test {

// What can stand where the program expects a file of its own: a FIFO blocks an open, a link
// to /dev/zero feeds a read without end, a folder makes a lock wait for ever. Files written by
// a rename (QSaveFile follows links) get a link to a FIFO instead: a fault there as root would
// replace /dev/zero itself. A socket nobody listens on is what a crashed process leaves.
enum class BlockingPath
{
    Fifo,
    LinkToDevZero,
    LinkToFifo,
    Folder,
    DeadSocket,
};
inline constexpr BlockingPath ReadBlockingPaths[] = {
    BlockingPath::Fifo, BlockingPath::LinkToDevZero, BlockingPath::Folder};
inline constexpr BlockingPath WrittenBlockingPaths[] = {
    BlockingPath::Fifo, BlockingPath::LinkToFifo, BlockingPath::Folder};

inline bool makeBlockingPath(BlockingPath kind, const QString& path)
{
    if (kind == BlockingPath::LinkToFifo)
        return makeBlockingPath(BlockingPath::Fifo, path + ".fifo") &&
               QFile::link(path + ".fifo", path);
    if (kind == BlockingPath::LinkToDevZero)
        return QFile::link("/dev/zero", path);
    if (kind == BlockingPath::DeadSocket) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, QFile::encodeName(path), sizeof address.sun_path - 1);
        const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(fd);
        return bound;
    }
    return kind == BlockingPath::Folder ? QDir().mkpath(path)
                                        : ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

// The path's type and link target: the same before and after when it was left alone.
inline QString describePath(const QString& path)
{
    struct stat status = {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return "missing";
    return QString::number(status.st_mode & S_IFMT, 8) + " " + QFileInfo(path).symLinkTarget();
}

// Ends the test program with SIGALRM when the scope lasts longer than `seconds`: a hang fails
// the run instead of stalling it.
struct HangGuard
{
    explicit HangGuard(unsigned seconds = 20) { ::alarm(seconds); }
    ~HangGuard() { ::alarm(0); }
};

} // namespace veloquill::test
