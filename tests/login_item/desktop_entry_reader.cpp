#include "desktop_entry_reader.h"

#include <QFile>

namespace veloquill::test {

std::optional<QString> desktopEntryValue(const QString& filePath, const QString& key)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    bool inDesktopEntry = false;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char('[')))
            inDesktopEntry = line == QLatin1String("[Desktop Entry]");
        else if (inDesktopEntry && line.startsWith(key + QLatin1Char('=')))
            return line.mid(key.size() + 1);
    }
    return std::nullopt;
}

std::optional<QStringList> execCommandLine(const QString& rawValue)
{
    // String escapes first.
    QString line;
    for (qsizetype i = 0; i < rawValue.size(); ++i) {
        if (rawValue[i] != QLatin1Char('\\')) {
            line += rawValue[i];
            continue;
        }
        const qsizetype escape =
            ++i < rawValue.size() ? QStringLiteral("sntr\\").indexOf(rawValue[i]) : -1;
        if (escape < 0)
            return std::nullopt;
        line += QStringLiteral(" \n\t\r\\")[escape];
    }

    // Then quoting: outside quotes a space separates and reserved characters are forbidden;
    // inside, a backslash escapes exactly " ` $ and itself.
    QStringList arguments;
    QString current;
    bool inArgument = false;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted && c == QLatin1Char('\\')) {
            if (++i == line.size() || !QStringLiteral("\"`$\\").contains(line[i]))
                return std::nullopt;
            current += line[i];
        } else if (c == QLatin1Char('"')) {
            quoted = !quoted;
            inArgument = true;
        } else if (quoted) {
            current += c;
        } else if (c == QLatin1Char(' ')) {
            if (inArgument)
                arguments.append(current);
            current.clear();
            inArgument = false;
        } else if (QStringLiteral("\t\n'\\><~|&;$*?#()`").contains(c)) {
            return std::nullopt;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (quoted)
        return std::nullopt;
    if (inArgument)
        arguments.append(current);

    // Then field codes: %% is a percent sign; this program takes no others.
    for (QString& argument : arguments) {
        const QStringList parts = argument.split(QStringLiteral("%%"));
        for (const QString& part : parts) {
            if (part.contains(QLatin1Char('%')))
                return std::nullopt;
        }
        argument = parts.join(QLatin1Char('%'));
    }
    return arguments;
}

} // namespace veloquill::test
