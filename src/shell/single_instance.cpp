#include "shell/single_instance.h"

#include "support/log.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <unistd.h>

namespace veloquill {

namespace {
const QByteArray kReopenRequest = QByteArrayLiteral("reopen\n");
constexpr qint64 kLongestRequest = 64;
constexpr int kConnectTimeoutMs = 250;
constexpr int kWriteTimeoutMs = 1000;
constexpr int kRetryPauseMs = 100;
// How long a later process waits for a running one that has its lock but is not listening
// yet (it may be starting at this very moment).
constexpr int kPatienceWithStartingInstanceMs = 3000;
} // namespace

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), m_socketPath(std::move(socketPath)),
      m_lock(m_socketPath + QStringLiteral(".lock"))
{
    // Only a lock whose process is gone is stale, however long the program has run.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultSocketPath()
{
    // One program per user and X display: each display has its own devices to control.
    QString display = qEnvironmentVariable("DISPLAY");
    display.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9.]")), QStringLiteral("_"));
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + QLatin1Char('/') +
           QStringLiteral(VELOQUILL_APP_ID) + QLatin1Char('-') + QString::number(::getuid()) +
           QLatin1Char('-') + display;
}

SingleInstance::Role SingleInstance::claim()
{
    if (!m_lock.tryLock(0)) {
        if (sendReopenRequest(kPatienceWithStartingInstanceMs))
            logLine(QStringLiteral("[SingleInstance] Veloquill is already running; asked it to "
                                   "open its settings window."));
        else
            logLine(QStringLiteral("[SingleInstance] Veloquill is already running but did not "
                                   "answer at ") +
                    m_socketPath);
        return Role::Secondary;
    }
    // A running instance whose lock file was deleted under it still answers.
    if (sendReopenRequest(0)) {
        m_lock.unlock();
        logLine(QStringLiteral("[SingleInstance] Veloquill is already running; asked it to open "
                               "its settings window."));
        return Role::Secondary;
    }
    listen();
    return Role::Primary;
}

bool SingleInstance::sendReopenRequest(int patienceMs)
{
    const QDeadlineTimer deadline(patienceMs);
    for (;;) {
        QLocalSocket socket;
        socket.connectToServer(m_socketPath);
        if (socket.waitForConnected(kConnectTimeoutMs)) {
            socket.write(kReopenRequest);
            const bool written = socket.waitForBytesWritten(kWriteTimeoutMs);
            socket.disconnectFromServer();
            return written;
        }
        if (deadline.hasExpired())
            return false;
        QThread::msleep(kRetryPauseMs);
    }
}

void SingleInstance::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // Whoever holds the lock owns the path: a socket left there is a crashed process's.
    QLocalServer::removeServer(m_socketPath);
    if (!m_server->listen(m_socketPath)) {
        logLine(QStringLiteral("[SingleInstance] Cannot listen for reopen requests at ") +
                m_socketPath + QStringLiteral(": ") + m_server->errorString());
        return;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this,
                    [this, socket] { readRequest(socket); });
            readRequest(socket);
        }
    });
}

void SingleInstance::readRequest(QLocalSocket* socket)
{
    while (socket->canReadLine()) {
        if (socket->readLine(kLongestRequest + 1) == kReopenRequest) {
            logLine(QStringLiteral("[SingleInstance] Reopen request received."));
            Q_EMIT reopenRequested();
        }
    }
    // Whatever else arrives is not ours to wait for.
    if (socket->bytesAvailable() > kLongestRequest)
        socket->abort();
}

} // namespace veloquill
