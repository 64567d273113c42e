// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "support/log.h"
#include "support/qt_printers.h"

#include <QString>
#include <QStringList>

namespace veloquill::test {

// Collects every log line written while it lives, instead of printing them.
class LogCapture
{
public:
    LogCapture()
    {
        m_previous = setLogRedirect([this](const QString& line) { m_lines.append(line); });
    }
    ~LogCapture() { setLogRedirect(std::move(m_previous)); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QStringList lines() const { return m_lines; }
    bool contains(const QString& line) const { return m_lines.contains(line); }
    void clear() { m_lines.clear(); }

private:
    LogRedirect m_previous;
    QStringList m_lines;
};

} // namespace veloquill::test
