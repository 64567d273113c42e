// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/single_instance.h"

#include "support/display_name.h"
#include "support/log.h"
#include "support/settings_file.h"
#include "support/xdg_folders.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QThread>

#include <sys/stat.h>
#include <unistd.h>

namespace veloquill {

namespace {
const QByteArray kReopenRequest = QByteArrayLiteral("reopen\n");
const QByteArray kRestoreRequest = QByteArrayLiteral("restore\n");
const QByteArray kRestoringAnswer = QByteArrayLiteral("restoring\n");
const QByteArray kRestoredAnswer = QByteArrayLiteral("restored\n");
const QByteArray kFailedAnswer = QByteArrayLiteral("failed ");
const QByteArray kPrecisionRequest = QByteArrayLiteral("precision ");
const QByteArray kPrecisionOnAnswer = QByteArrayLiteral("precision on\n");
const QByteArray kPrecisionOffAnswer = QByteArrayLiteral("precision off\n");
constexpr qint64 kLongestRequest = 64;
constexpr int kConnectTimeoutMs = 250;
constexpr int kWriteTimeoutMs = 1000;
constexpr int kRetryPauseMs = 100;
// How long a later process waits for a running one that has its lock but is not listening
// yet (it may be starting at this very moment).
constexpr int kPatienceWithStartingInstanceMs = 3000;
// How long a running instance that said it is restoring may take: more than a backend waits
// for its writes to be confirmed (KWin: 5 s).
constexpr int kRestoreWorkMs = 10000;

// Sends one request to the instance listening at socketPath; false when nobody listens.
bool sendRequest(QLocalSocket& socket, const QString& socketPath, const QByteArray& request)
{
    socket.connectToServer(socketPath);
    if (socketPath.isEmpty() || !socket.waitForConnected(kConnectTimeoutMs))
        return false;
    socket.write(request);
    return true;
}

// The next line it answers, or nothing within waitMs.
QByteArray readAnswer(QLocalSocket& socket, int waitMs)
{
    const QDeadlineTimer deadline(waitMs);
    while (!socket.canReadLine() && socket.waitForReadyRead(int(deadline.remainingTime()))) {
    }
    return socket.canReadLine() ? socket.readLine(kLongestRequest + 1) : QByteArray();
}
} // namespace

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), m_socketPath(std::move(socketPath)),
      m_lock(m_socketPath + QStringLiteral(".lock"))
{
    // Only a lock whose process is gone is stale, however long the program has run.
    m_lock.setStaleLockTime(0);
}

QString SingleInstance::defaultSocketPath()
{
    const RuntimeFolder folder = runtimeFolder();
    if (!folder.problem.isEmpty())
        return {};
    // One program per user and X server: each server has its own devices to control, whatever
    // spelling of its display a start was given.
    QString display = canonicalDisplayName(QString());
    display.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9.]")), QStringLiteral("_"));
    return folder.path + QLatin1Char('/') + QStringLiteral(VELOQUILL_APP_ID) + QLatin1Char('-') +
           QString::number(::getuid()) + QLatin1Char('-') + display;
}

SingleInstance::Role SingleInstance::claim()
{
    if (m_socketPath.isEmpty())
        return Role::Primary;
    // QLockFile would wait on a FIFO or a folder in its lock's place without end, and the
    // listener would remove whatever is at the socket's: both are left alone.
    QString problem = lockFileProblem(m_lock.fileName());
    if (problem.isEmpty())
        problem = ownFileProblem(m_socketPath, S_IFSOCK);
    if (!problem.isEmpty()) {
        logLine(QStringLiteral("[SingleInstance] Running without a single-instance check: ") +
                problem);
        return Role::Primary;
    }
    const bool locked = m_lock.tryLock(0);
    const bool heldByAnother = !locked && m_lock.error() == QLockFile::LockFailedError;
    // A running instance whose lock file was deleted under it still answers; so may one when
    // no lock can be made here at all.
    if (sendReopenRequest(heldByAnother ? kPatienceWithStartingInstanceMs : 0)) {
        if (locked)
            m_lock.unlock();
        logLine(QStringLiteral("[SingleInstance] Veloquill is already running; asked it to open "
                               "its settings window."));
        return Role::Secondary;
    }
    if (heldByAnother) {
        logLine(QStringLiteral("[SingleInstance] Veloquill is already running but did not "
                               "answer at ") +
                m_socketPath);
        return Role::Secondary;
    }
    // Nobody holds a lock that cannot be made: this is no second start.
    if (!locked)
        logLine(QStringLiteral("[SingleInstance] Running without a single-instance check: cannot "
                               "create ") +
                m_lock.fileName());
    return Role::Primary;
}

bool SingleInstance::sendReopenRequest(int patienceMs)
{
    const QDeadlineTimer deadline(patienceMs);
    for (;;) {
        QLocalSocket socket;
        if (sendRequest(socket, m_socketPath, kReopenRequest)) {
            const bool written = socket.waitForBytesWritten(kWriteTimeoutMs);
            socket.disconnectFromServer();
            return written;
        }
        if (deadline.hasExpired())
            return false;
        QThread::msleep(kRetryPauseMs);
    }
}

SingleInstance::RestoreAnswer SingleInstance::askToRestore(const QString& socketPath,
                                                           int patienceMs, QString* reason)
{
    QLocalSocket socket;
    if (!sendRequest(socket, socketPath, kRestoreRequest))
        return RestoreAnswer::NoInstance;
    QByteArray answer = readAnswer(socket, patienceMs);
    // It answered at once and is at work: its outcome is worth the wait, and restoring here as
    // well would race it.
    if (answer == kRestoringAnswer) {
        answer = readAnswer(socket, kRestoreWorkMs);
        if (answer.isEmpty()) {
            *reason = QStringLiteral("the running Veloquill did not finish within %1 s")
                          .arg(kRestoreWorkMs / 1000);
            return RestoreAnswer::Failed;
        }
    }
    if (answer == kRestoredAnswer)
        return RestoreAnswer::Restored;
    if (!answer.startsWith(kFailedAnswer))
        return RestoreAnswer::NoAnswer;
    *reason = QString::fromUtf8(answer.mid(kFailedAnswer.size())).trimmed();
    return RestoreAnswer::Failed;
}

SingleInstance::PrecisionAnswer SingleInstance::askPrecision(const QString& socketPath,
                                                             const QString& command, int patienceMs)
{
    QLocalSocket socket;
    if (!sendRequest(socket, socketPath, kPrecisionRequest + command.toUtf8() + '\n'))
        return PrecisionAnswer::NoInstance;
    const QByteArray answer = readAnswer(socket, patienceMs);
    if (answer == kPrecisionOnAnswer)
        return PrecisionAnswer::On;
    return answer == kPrecisionOffAnswer ? PrecisionAnswer::Off : PrecisionAnswer::NoAnswer;
}

void SingleInstance::setPrecisionHandler(std::function<bool(const QString&)> handler)
{
    m_precisionHandler = std::move(handler);
}

void SingleInstance::answerRestore(const QString& failure)
{
    QByteArray answer = kRestoredAnswer;
    if (!failure.isEmpty())
        answer = kFailedAnswer + failure.simplified().toUtf8() + '\n';
    for (const QPointer<QLocalSocket>& socket : std::exchange(m_restoreRequests, {})) {
        if (!socket)
            continue;
        socket->write(answer);
        // Sent now: the program may quit before its event loop turns again.
        socket->flush();
    }
}

void SingleInstance::listen()
{
    // Without a lock of its own (no usable path, or none could be made) it serves nobody.
    if (!m_lock.isLocked())
        return;
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
        const QByteArray request = socket->readLine(kLongestRequest + 1);
        if (request == kReopenRequest) {
            logLine(QStringLiteral("[SingleInstance] Reopen request received."));
            Q_EMIT reopenRequested();
        } else if (request == kRestoreRequest) {
            logLine(QStringLiteral("[SingleInstance] Restore request received."));
            socket->write(kRestoringAnswer);
            socket->flush();
            m_restoreRequests.append(socket);
            Q_EMIT restoreRequested();
        } else if (request.startsWith(kPrecisionRequest) && m_precisionHandler) {
            const QString command =
                QString::fromUtf8(request.mid(kPrecisionRequest.size())).trimmed();
            logLine(QStringLiteral("[SingleInstance] Precision request received: ") + command);
            socket->write(m_precisionHandler(command) ? kPrecisionOnAnswer : kPrecisionOffAnswer);
            socket->flush();
        }
    }
    // Whatever else arrives is not ours to wait for.
    if (socket->bytesAvailable() > kLongestRequest)
        socket->abort();
}

} // namespace veloquill
