#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

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
};

SettingsFileStatus settingsFileStatus(const QString& path);

// Gives the file the path leads to these permission bits, unless it has them already.
void setSettingsFileMode(const QString& path, int mode);

// The whole file, opened without blocking and read only if it is a regular file; nothing
// (and the reason in *error) otherwise.
std::optional<QByteArray> readRegularFile(const QString& path, QString* error);

// The name of the attempt-th place beside the file for what could not be read:
// <path>.unreadable, then <path>.unreadable.1, …
QString unreadableAside(const QString& path, int attempt);

// Copies the regular file byte for byte to the first free name among <path>.unreadable,
// <path>.unreadable.1, …, synced to disk; an existing name is never replaced. Returns the
// copy's path, or an empty string (and the reason in *error) when no copy reached the disk.
QString copyAside(const QString& path, QString* error);

} // namespace veloquill
