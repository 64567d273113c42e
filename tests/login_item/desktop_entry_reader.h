#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace veloquill::test {

// Reads a desktop entry the way a session starting it at login does, strictly: anything the
// desktop entry format does not allow reads as nothing.

// The raw value of a key in the [Desktop Entry] group, string escapes still in place.
std::optional<QString> desktopEntryValue(const QString& filePath, const QString& key);

// The program and arguments an Exec value runs: string escapes undone, then quoting, then
// field codes (only %% is allowed here; this program takes none).
std::optional<QStringList> execCommandLine(const QString& rawValue);

} // namespace veloquill::test
