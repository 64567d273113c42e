// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "xorg_server.h"

#include <QDir>
#include <QFile>
#include <QThread>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace veloquill::test {

namespace {
constexpr int kStartTimeoutMs = 15000;

QString config(const QString& directory, int devices)
{
    QString text = QStringLiteral(R"(Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "AutoEnableDevices" "false"
    Option "AllowEmptyInput" "true"
    Option "DontVTSwitch" "true"
EndSection
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 32768
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0 - 1000.0
    VertRefresh 5.0 - 200.0
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual 1280 1024
    EndSubSection
EndSection
)");
    QString layout = QStringLiteral("Section \"ServerLayout\"\n    Identifier \"layout\"\n"
                                    "    Screen \"screen\"\n");
    for (int device = 0; device < devices; ++device) {
        text += QStringLiteral("Section \"InputDevice\"\n    Identifier \"%1\"\n"
                               "    Driver \"mouse\"\n    Option \"Device\" \"%2/mouse%3\"\n"
                               "    Option \"Protocol\" \"PS/2\"\n"
                               "    Option \"Emulate3Buttons\" \"false\"\nEndSection\n")
                    .arg(XorgServer::deviceName(device), directory)
                    .arg(device);
        layout += "    InputDevice \"" + XorgServer::deviceName(device) + "\" \"" +
                  (device == 0 ? "CorePointer" : "SendCoreEvents") + "\"\n";
    }
    return text + layout + QStringLiteral("EndSection\n");
}
} // namespace

XorgServer::XorgServer(int devices)
{
    m_skipReason = start(devices);
    if (!m_skipReason.isEmpty())
        m_displayName.clear();
}

QString XorgServer::start(int devices)
{
    if (::geteuid() != 0)
        return QStringLiteral("Xorg runs as root only (CI runs as root)");
    for (const char* module : {"/usr/lib/xorg/modules/drivers/dummy_drv.so",
                               "/usr/lib/xorg/modules/input/mouse_drv.so", "/usr/lib/xorg/Xorg"}) {
        if (!QFile::exists(module))
            return "no " + QString(module) +
                   ": scripts/setup installs xserver-xorg-core, "
                   "xserver-xorg-video-dummy and xserver-xorg-input-mouse";
    }
    const QString directory = m_directory.path();
    for (int device = 0; device < devices; ++device) {
        const QByteArray fifo = QFile::encodeName(directory + "/mouse" + QString::number(device));
        if (::mkfifo(fifo.constData(), 0600) != 0)
            return QStringLiteral("cannot make a FIFO in %1").arg(directory);
    }
    QFile file(directory + QStringLiteral("/xorg.conf"));
    if (!file.open(QIODevice::WriteOnly) || file.write(config(directory, devices).toUtf8()) < 0)
        return QStringLiteral("cannot write %1").arg(file.fileName());
    file.close();
    QDir().mkpath(directory + QStringLiteral("/xorg.conf.d"));
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start("/usr/lib/xorg/Xorg",
                    {"-displayfd", "1", "-config", file.fileName(), "-configdir",
                     directory + "/xorg.conf.d", "-logfile", directory + "/Xorg.log", "-nolisten",
                     "tcp", "-noreset", "-novtswitch", "-sharevts"});
    // The server prints its display number once it accepts connections.
    if (!m_process.waitForStarted(kStartTimeoutMs))
        return QStringLiteral("Xorg did not start");
    while (!m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(kStartTimeoutMs))
            return QStringLiteral("Xorg did not come up; see its log");
    }
    m_displayName = QLatin1Char(':') + QString::fromLatin1(m_process.readLine()).trimmed();
    // The driver opens its FIFO for reading once the server enables the device.
    for (int device = 0; device < devices; ++device) {
        const QByteArray fifo = QFile::encodeName(directory + "/mouse" + QString::number(device));
        int fd = -1;
        for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
            fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd < 0)
                QThread::msleep(50);
        }
        if (fd < 0)
            return "the mouse driver never opened " + QString::fromLocal8Bit(fifo);
        m_fifos.push_back(fd);
    }
    return {};
}

XorgServer::~XorgServer()
{
    for (int fd : m_fifos)
        ::close(fd);
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(10000))
        m_process.kill();
    m_process.waitForFinished();
}

void XorgServer::move(int device, int dx, int dy, int count, int gapMs)
{
    // Flags: bit 3 always set, bits 4 and 5 the signs of dx and dy.
    const unsigned char flags =
        static_cast<unsigned char>(0x08 | (dx < 0 ? 0x10 : 0) | (dy < 0 ? 0x20 : 0));
    const unsigned char packet[3] = {flags, static_cast<unsigned char>(dx & 0xff),
                                     static_cast<unsigned char>(dy & 0xff)};
    const int fd = m_fifos.at(static_cast<std::size_t>(device));
    for (int i = 0; i < count; ++i) {
        // A full FIFO means the server is behind: it reads on, so wait a little (bounded).
        for (int attempt = 0; attempt < 400; ++attempt) {
            if (::write(fd, packet, sizeof packet) == sizeof packet || errno != EAGAIN)
                break;
            QThread::msleep(5);
        }
        if (gapMs > 0)
            QThread::msleep(static_cast<unsigned long>(gapMs));
    }
}

} // namespace veloquill::test
