// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/xdg_folders.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace veloquill {

QString xdgConfigHome()
{
    const QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!base.isEmpty() && !QDir::isRelativePath(base))
        return base;
    // Read here rather than through QDir::homePath(), which falls back to "/".
    const QString home = qEnvironmentVariable("HOME");
    if (home.isEmpty() || QDir::isRelativePath(home))
        return {};
    return home + QStringLiteral("/.config");
}

RuntimeFolder runtimeFolder()
{
    const QByteArray variable = qgetenv("XDG_RUNTIME_DIR");
    if (variable.isEmpty()) {
        const QString standIn = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        return {standIn,
                standIn.isEmpty() ? QStringLiteral("XDG_RUNTIME_DIR is not set") : QString()};
    }
    // Checked here rather than left to Qt, which answers an unusable folder with an empty path.
    const QString path = QFile::decodeName(variable);
    const QString named = QStringLiteral("the runtime folder ") + path;
    struct stat status
    {};
    if (::stat(variable.constData(), &status) != 0)
        return {path, named + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno))};
    if (!S_ISDIR(status.st_mode))
        return {path, named + QStringLiteral(" is not a folder")};
    if (status.st_uid != ::geteuid())
        return {path, named + QStringLiteral(" belongs to another user")};
    if (::access(variable.constData(), W_OK | X_OK) != 0)
        return {path, named + QStringLiteral(" cannot be written: ") +
                          QString::fromLocal8Bit(std::strerror(errno))};
    return {path, {}};
}

} // namespace veloquill
