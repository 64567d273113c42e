#pragma once

#include <QString>

#include <functional>

namespace veloquill {

// Writes one plain line to standard output. Log lines are the program's record of
// what it did to the user's devices, so each is flushed at once.
void logLine(const QString& line);

// Redirects log lines (tests capture them). An empty function restores standard output.
// Returns the previous redirection.
using LogRedirect = std::function<void(const QString&)>;
LogRedirect setLogRedirect(LogRedirect redirect);

} // namespace veloquill
