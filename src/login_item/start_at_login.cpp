// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "login_item/start_at_login.h"

#include "support/settings_file.h"
#include "support/xdg_folders.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QStandardPaths>

#include <filesystem>
#include <system_error>

namespace veloquill {

namespace {
// The program's error log, "<app-id>.main": a failure the user did not see happen (a login
// entry that could not be written) is reported here at critical level.
Q_LOGGING_CATEGORY(lcMain, VELOQUILL_APP_ID ".main")

const QString DesktopEntryGroup = QStringLiteral("[Desktop Entry]");

std::optional<QString> makeDirectory(const QString& path)
{
    if (QFileInfo(path).isDir())
        return std::nullopt;
    std::error_code error;
    std::filesystem::create_directories(
        std::filesystem::path(QFile::encodeName(path).toStdString()), error);
    if (!error && QFileInfo(path).isDir())
        return std::nullopt;
    const QString reason =
        error ? QString::fromLocal8Bit(error.message()) : QStringLiteral("not a folder");
    return QStringLiteral("cannot create the folder %1: %2").arg(path, reason);
}

// ${XDG_CONFIG_HOME:-~/.config}/autostart, read from the environment at each call.
QString autostartDirectory()
{
    return xdgConfigHome() + QStringLiteral("/autostart");
}

// The program as one Exec argument. A bare name of plain characters, which the PATH finds,
// goes as it is. Every path is double-quoted as the desktop entry format asks (\" \` \$ and
// \\ inside the quotes, % doubled), then escaped as a string value (\\ \n \t \r): a quoted
// argument is valid for every path, reserved characters or not.
QString execArgument(const QString& program)
{
    static const QRegularExpression plainName(QStringLiteral("^[A-Za-z0-9._-]+$"));
    if (plainName.match(program).hasMatch())
        return program;
    QString quoted = QStringLiteral("\"");
    for (const QChar c : program) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        else if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
        quoted += c;
    }
    quoted += QLatin1Char('"');

    // Exec is a string value, whose own escapes are undone before the quoting is.
    QString value;
    for (const QChar c : quoted) {
        if (c == QLatin1Char('\\'))
            value += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            value += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            value += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            value += QStringLiteral("\\r");
        else
            value += c;
    }
    return value;
}

// The file's text: an application entry whose Exec runs exactly the given program.
QByteArray contents(const QString& program)
{
    const QString text = DesktopEntryGroup +
                         QStringLiteral("\n"
                                        "Type=Application\n"
                                        "Name=Veloquill\n"
                                        "Exec=") +
                         execArgument(program) +
                         QStringLiteral("\n"
                                        "Terminal=false\n"
                                        "X-GNOME-Autostart-enabled=true\n");
    return text.toUtf8();
}

// The entry: ${XDG_CONFIG_HOME:-~/.config}/autostart/<name>.desktop, the folder read from the
// environment at each call. Every question goes to the file system; nothing is cached, so a
// change made by the desktop's own autostart settings is seen at the next read.
QString entryPath(const QString& name)
{
    return autostartDirectory() + QLatin1Char('/') + name + QStringLiteral(".desktop");
}

// The desktop starts the entry at login: the file exists and neither says Hidden=true nor
// X-GNOME-Autostart-enabled=false. An unreadable file starts nothing.
bool entryIsEnabled(const QString& path)
{
    // Read only if a regular file: a FIFO in its place would block the read.
    QString error;
    const std::optional<QByteArray> text = readRegularFile(path, &error);
    if (!text)
        return false;
    bool inDesktopEntry = false;
    for (const QByteArray& bytes : text->split('\n')) {
        const QString line = QString::fromUtf8(bytes).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inDesktopEntry = line == DesktopEntryGroup;
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inDesktopEntry || equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        // Desktop entry booleans are true and false; GLib, which most sessions read them with,
        // also takes 1 and 0, so a hand-edited entry means the same here as at login.
        if (key == QLatin1String("Hidden") &&
            (value == QLatin1String("true") || value == QLatin1String("1")))
            return false;
        if (key == QLatin1String("X-GNOME-Autostart-enabled") &&
            (value == QLatin1String("false") || value == QLatin1String("0")))
            return false;
    }
    return true;
}

// Writes an entry that starts the given program, an absolute path or a bare name the PATH
// finds, creating the autostart folder if needed. The entry is written beside the old one and
// renamed over it, so a failure leaves the old entry as it was. Returns why it failed, or nothing.
std::optional<QString> writeEntry(const QString& path, const QString& program)
{
    if (xdgConfigHome().isEmpty())
        return QStringLiteral("neither XDG_CONFIG_HOME nor HOME names a folder");
    if (const auto failure = makeDirectory(autostartDirectory()))
        return failure;
    // A FIFO, device or folder in its place is the user's, not an entry to replace.
    SettingsFileStatus before;
    const SettingsFileIdentity entry = settingsFileIdentity(path, &before);
    if (before.kind == SettingsFileKind::Other)
        return QStringLiteral("%1 is not a regular file").arg(path);
    // An entry that is a link (a dotfile manager's) keeps it: the file it leads to is replaced.
    struct stat written = {};
    QString error;
    if (!replaceFileDurably(entry.isLink ? QFile::decodeName(entry.target) : path,
                            contents(program), before, &written, &error))
        return QStringLiteral("cannot write %1: %2").arg(path, error);
    return std::nullopt;
}

// Removes the entry; an absent entry is already removed. Returns why it failed, or nothing.
std::optional<QString> removeEntry(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return std::nullopt;
    QFile file(path);
    if (!file.remove())
        return QStringLiteral("cannot remove %1: %2").arg(path, file.errorString());
    return std::nullopt;
}

// How the entry names the program: by its bare name when that is what the PATH runs, so
// the entry still works after a package update or a move along the PATH; by its absolute
// path otherwise (a build folder, an unpacked copy, a second copy earlier on the PATH).
QString launchCommand(const QString& programPath)
{
    const QString name = QStringLiteral("veloquill");
    const QString found = QFileInfo(QStandardPaths::findExecutable(name)).canonicalFilePath();
    if (!found.isEmpty() && found == QFileInfo(programPath).canonicalFilePath())
        return name;
    return programPath;
}
} // namespace

StartAtLogin& StartAtLogin::shared()
{
    static auto* instance =
        new StartAtLogin(QStringLiteral(VELOQUILL_APP_ID), QCoreApplication::applicationFilePath());
    return *instance;
}

StartAtLogin::StartAtLogin(const QString& appId, QString programPath, QObject* parent)
    : QObject(parent), m_appId(appId), m_programPath(std::move(programPath))
{}

bool StartAtLogin::isEnabled() const
{
    return entryIsEnabled(entryPath(m_appId));
}

void StartAtLogin::setEnabled(bool enabled)
{
    Q_EMIT willChange();
    const std::optional<QString> failure =
        enabled ? writeEntry(entryPath(m_appId), launchCommand(m_programPath))
                : removeEntry(entryPath(m_appId));
    if (failure)
        qCCritical(lcMain, "Failed to %s launch at login: %s", enabled ? "enable" : "disable",
                   qUtf8Printable(*failure));
}

} // namespace veloquill
