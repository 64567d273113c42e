#pragma once

#include <QString>

#include <optional>

namespace veloquill {

// One file in the user's XDG autostart folder. Every question goes to the file system; nothing
// is cached, so a change made by the desktop's own autostart settings is seen at the next read.
class AutostartEntry
{
public:
    // ${XDG_CONFIG_HOME:-~/.config}/autostart, read from the environment at each call.
    static QString autostartDirectory();

    // <autostart folder>/<name>.desktop
    explicit AutostartEntry(QString name);

    QString filePath() const;

    // The desktop starts the entry at login: the file exists and neither says Hidden=true
    // nor X-GNOME-Autostart-enabled=false. An unreadable file starts nothing.
    bool isEnabled() const;

    // Writes an entry that starts the program at the given path, creating the autostart
    // folder if needed. The entry is written beside the old one and renamed over it, so a
    // failure leaves the old entry as it was. Returns why it failed, or nothing.
    std::optional<QString> write(const QString& programPath) const;

    // Removes the entry; an absent entry is already removed. Returns why it failed, or nothing.
    std::optional<QString> remove() const;

    // The file's text: an application entry whose Exec runs exactly the given program.
    static QByteArray contents(const QString& programPath);

private:
    QString m_name;
};

// The program path as one Exec argument, double-quoted as the desktop entry format asks
// (\" \` \$ \\ inside the quotes, % doubled), then escaped as a string value (\\ \n \t \r).
// Always quoted: a quoted argument is valid for every path, reserved characters or not.
QString execArgument(const QString& programPath);

} // namespace veloquill
