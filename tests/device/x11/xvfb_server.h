// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QProcess>
#include <QString>

namespace veloquill::test {

// A private Xvfb for one test: a free display number chosen by the server itself
// (-displayfd), kept alive across client disconnects (-noreset), no TCP.
class XvfbServer
{
public:
    XvfbServer();
    ~XvfbServer() { stop(); }

    bool isRunning() const { return !m_displayName.isEmpty(); }
    // ":N"
    QString displayName() const { return m_displayName; }
    // Ends the server at once, as a crash or logout would.
    void stop();

private:
    QProcess m_process;
    QString m_displayName;
};

} // namespace veloquill::test
