// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/log_capture.h"

namespace veloquill::test {

LogCapture::LogCapture()
{
    m_previous = setLogRedirect([this](const QString& line) { m_lines.append(line); });
}

LogCapture::~LogCapture()
{
    setLogRedirect(std::move(m_previous));
}

} // namespace veloquill::test
