#include "xvfb_server.h"

#include <QStandardPaths>

namespace veloquill::test {

namespace {
constexpr int kStartTimeoutMs = 10000;
}

bool XvfbServer::isInstalled()
{
    return !QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty();
}

XvfbServer::XvfbServer()
{
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start(QStringLiteral("Xvfb"),
                    {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"),
                     QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-screen"),
                     QStringLiteral("0"), QStringLiteral("1280x1024x24")});
    if (!m_process.waitForStarted(kStartTimeoutMs))
        return;
    // The server prints its display number once it accepts connections.
    while (!m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(kStartTimeoutMs))
            return;
    }
    const QString number = QString::fromLatin1(m_process.readLine()).trimmed();
    if (!number.isEmpty())
        m_displayName = QLatin1Char(':') + number;
}

XvfbServer::~XvfbServer()
{
    stop();
}

void XvfbServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(kStartTimeoutMs))
        m_process.kill();
    m_process.waitForFinished();
}

} // namespace veloquill::test
