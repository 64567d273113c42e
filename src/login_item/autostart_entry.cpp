// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "login_item/autostart_entry.h"

#include "support/config_home.h"
#include "support/settings_file.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <filesystem>
#include <system_error>

namespace veloquill {

namespace {
const QString DesktopEntryGroup = QStringLiteral("[Desktop Entry]");

// Desktop entry booleans are true and false; GLib, which most sessions read them with, also
// takes 1 and 0, so a hand-edited entry means the same here as at login.
bool isTrue(const QString& value)
{
    return value == QLatin1String("true") || value == QLatin1String("1");
}

bool isFalse(const QString& value)
{
    return value == QLatin1String("false") || value == QLatin1String("0");
}

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
} // namespace

AutostartEntry::AutostartEntry(QString name) : m_name(std::move(name)) {}

QString AutostartEntry::filePath() const
{
    return autostartDirectory() + QLatin1Char('/') + m_name + QStringLiteral(".desktop");
}

bool AutostartEntry::isEnabled() const
{
    // Read only if a regular file: a FIFO in its place would block the read.
    QString error;
    const std::optional<QByteArray> text = readRegularFile(filePath(), &error);
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
        if (key == QLatin1String("Hidden") && isTrue(value))
            return false;
        if (key == QLatin1String("X-GNOME-Autostart-enabled") && isFalse(value))
            return false;
    }
    return true;
}

std::optional<QString> AutostartEntry::write(const QString& program) const
{
    if (xdgConfigHome().isEmpty())
        return QStringLiteral("neither XDG_CONFIG_HOME nor HOME names a folder");
    if (const auto failure = makeDirectory(autostartDirectory()))
        return failure;
    const QString path = filePath();
    // A FIFO, device or folder in its place is the user's, not an entry to replace.
    const SettingsFileStatus before = settingsFileStatus(path);
    if (before.kind == SettingsFileKind::Other)
        return QStringLiteral("%1 is not a regular file").arg(path);
    QSaveFile file(path);
    const QByteArray text = contents(program);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        return QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    keepOwnerAndMode(path, before);
    return std::nullopt;
}

std::optional<QString> AutostartEntry::remove() const
{
    const QString path = filePath();
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return std::nullopt;
    QFile file(path);
    if (!file.remove())
        return QStringLiteral("cannot remove %1: %2").arg(path, file.errorString());
    return std::nullopt;
}

} // namespace veloquill
