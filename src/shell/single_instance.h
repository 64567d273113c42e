// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QLockFile>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QLocalServer;
class QLocalSocket;

namespace veloquill {

// One Veloquill per user and X server: the first process listens on a local socket; a later
// one asks it to open its settings window and then leaves (before the application object and
// any desktop service: nothing but the running program is asked), and `veloquill --restore` asks it
// to put every device back and quit. A lock file beside the socket decides who is first, so
// two processes started together cannot both listen; a crashed process's lock and socket are
// taken over. Without a socket path (no usable runtime folder) every process runs.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    enum class Role
    {
        Primary,   // this process is the one that runs; it now listens
        Secondary, // another one runs; it has been asked to reopen
    };

    // The socket's absolute path; the lock file is the same path with ".lock".
    explicit SingleInstance(QString socketPath = defaultSocketPath(), QObject* parent = nullptr);

    // In the user's runtime folder, named after the program's id, the user's id and the X
    // server (its display's canonical name); empty when that folder cannot be used.
    static QString defaultSocketPath();

    // Needs no application object. The primary then listens once one exists.
    Role claim();
    // Serves reopen, restore and precision requests; needs the application object.
    void listen();
    QString socketPath() const { return m_socketPath; }

    enum class RestoreAnswer
    {
        NoInstance, // nobody listens: nothing runs
        Restored,
        Failed,   // with the running instance's reason
        NoAnswer, // connected, but no answer in time
    };
    // Asks the instance listening at `socketPath` to put every device back and quit.
    static RestoreAnswer askToRestore(const QString& socketPath, int patienceMs, QString* reason);
    // Answers every restore request received so far: done when `failure` is empty.
    void answerRestore(const QString& failure);

    enum class PrecisionAnswer
    {
        NoInstance,
        On, // precision mode is on now
        Off,
        NoAnswer, // connected, but no answer in time
    };
    // Asks the instance listening at `socketPath` to switch precision mode: "on", "off" or
    // "toggle".
    static PrecisionAnswer askPrecision(const QString& socketPath, const QString& command,
                                        int patienceMs);
    // Switches precision mode for a `--precision` request and says whether it is on now;
    // without one such requests go unanswered.
    void setPrecisionHandler(std::function<bool(const QString& command)> handler);

Q_SIGNALS:
    // A later process asked for the settings window.
    void reopenRequested();
    // `veloquill --restore` asked for every device back; answerRestore() tells it how it went.
    void restoreRequested();

private:
    bool sendReopenRequest(int patienceMs);
    void readRequest(QLocalSocket* socket);

    QString m_socketPath;
    QLockFile m_lock;
    QLocalServer* m_server = nullptr;
    QList<QPointer<QLocalSocket>> m_restoreRequests;
    std::function<bool(const QString&)> m_precisionHandler;
};

} // namespace veloquill
