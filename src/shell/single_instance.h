#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace veloquill {

// One Veloquill per user: the first process listens on a local socket; a later one asks it
// to open its settings window and then leaves. A lock file beside the socket decides who is
// first, so two processes started together cannot both listen; a crashed process's lock and
// socket are taken over.
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
    ~SingleInstance() override;

    // In the user's runtime directory, named after the program's id and the user's id.
    static QString defaultSocketPath();

    Role claim();
    QString socketPath() const { return m_socketPath; }

Q_SIGNALS:
    // A later process asked for the settings window.
    void reopenRequested();

private:
    bool sendReopenRequest(int patienceMs);
    void listen();
    void readRequest(QLocalSocket* socket);

    QString m_socketPath;
    QLockFile m_lock;
    QLocalServer* m_server = nullptr;
};

} // namespace veloquill
