// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "xvfb_server.h"

namespace veloquill::test {

XvfbServer::XvfbServer()
{
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start(
        "Xvfb", QString("-displayfd 1 -noreset -nolisten tcp -screen 0 1280x1024x24").split(' '));
    // The server prints its display number once it accepts connections.
    while (m_process.waitForStarted(10000) && !m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(10000))
            return;
    }
    const QString number = QString::fromLatin1(m_process.readLine()).trimmed();
    if (!number.isEmpty())
        m_displayName = ':' + number;
}

void XvfbServer::stop()
{
    m_process.terminate();
    if (!m_process.waitForFinished(10000))
        m_process.kill();
    m_process.waitForFinished();
}

} // namespace veloquill::test
