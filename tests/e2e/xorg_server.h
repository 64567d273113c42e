// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <vector>

namespace veloquill::test {

// A real Xorg with the dummy video driver and mouse-driver devices that read PS/2 packets
// from FIFOs, so that a test can send counts and see where the server's own acceleration,
// deceleration and warps put the pointer. Everything it uses (config, log, FIFOs) lives in a
// directory of its own: the machine's own X setup is never read or touched. Xorg must run as
// root; where it cannot start, skipReason() says why in one line.
class XorgServer
{
public:
    // Devices named "Fifo mouse 1", "Fifo mouse 2" …
    explicit XorgServer(int devices);
    ~XorgServer();
    XorgServer(const XorgServer&) = delete;
    XorgServer& operator=(const XorgServer&) = delete;

    bool isRunning() const { return !m_displayName.isEmpty(); }
    QString skipReason() const { return m_skipReason; }
    QString displayName() const { return m_displayName; }
    static QString deviceName(int device)
    {
        return QStringLiteral("Fifo mouse %1").arg(device + 1);
    }

    // `count` packets of (dx, dy) counts (each -127 … 127) from the device, `gapMs` apart.
    // Screen y grows downwards; PS/2's grows upwards, which the driver turns round.
    void move(int device, int dx, int dy, int count, int gapMs);

private:
    QString start(int devices);

    QTemporaryDir m_directory;
    QProcess m_process;
    std::vector<int> m_fifos;
    QString m_displayName;
    QString m_skipReason;
};

} // namespace veloquill::test
