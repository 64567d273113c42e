// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Identifier quoting against the real Sway: a headless Sway without input devices parses each
// command this program would send, and its debug log names the identifier it read. Sway will
// not run as root, so as root it runs as "nobody".
#include "device/sway/sway_ipc.h"
#include "support/main_loop.h"
#include "support/required_programs.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QLocalSocket>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <pwd.h>
#include <unistd.h>

namespace veloquill::test {
namespace {

class HeadlessSway
{
public:
    // Empty when it started; otherwise why not.
    QString start()
    {
        const QString runtime = m_folder.filePath("run");
        QDir().mkdir(runtime);
        QFile config(m_folder.filePath("config"));
        if (!config.open(QIODevice::WriteOnly) || config.write("set $mod Mod4\n") < 0)
            return "cannot write Sway's config";
        config.close();
        QString program = "sway";
        QStringList arguments{"-d", "-c", config.fileName()};
        if (geteuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            if (!nobody || chown(runtime.toLocal8Bit(), nobody->pw_uid, nobody->pw_gid) != 0)
                return "running as root without a user \"nobody\" to run Sway as";
            QFile::setPermissions(m_folder.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                       QFile::ExeOwner | QFile::ReadOther |
                                                       QFile::ExeOther);
            arguments = QStringList{"--reuid=" + QString::number(nobody->pw_uid),
                                    "--regid=" + QString::number(nobody->pw_gid), "--clear-groups",
                                    program} +
                        arguments;
            program = "setpriv";
        }
        QProcessEnvironment environment;
        environment.insert("PATH", qEnvironmentVariable("PATH"));
        environment.insert("HOME", m_folder.path());
        environment.insert("XDG_RUNTIME_DIR", runtime);
        environment.insert("WLR_BACKENDS", "headless");
        environment.insert("WLR_LIBINPUT_NO_DEVICES", "1");
        m_sway.setProcessEnvironment(environment);
        m_sway.setProcessChannelMode(QProcess::MergedChannels);
        m_sway.start(program, arguments);
        const QDir folder(runtime);
        // The socket's file exists a moment before Sway accepts on it, longer on a busy machine.
        const bool accepting = runMainLoopUntil(
            [&] {
                const QStringList sockets = folder.entryList({"sway-ipc.*.sock"}, QDir::System);
                m_socket = sockets.isEmpty() ? QString() : folder.filePath(sockets.first());
                QLocalSocket probe;
                probe.connectToServer(m_socket);
                return m_sway.state() == QProcess::NotRunning ||
                       (!m_socket.isEmpty() && probe.waitForConnected(100));
            },
            20000);
        if (!accepting || m_sway.state() == QProcess::NotRunning)
            return "Sway did not start to accept on its socket: " +
                   QString(m_sway.readAll()).right(2000);
        return {};
    }
    ~HeadlessSway()
    {
        m_sway.terminate();
        if (!m_sway.waitForFinished(5000))
            m_sway.kill();
        m_sway.waitForFinished(1000);
    }
    QString socket() const { return m_socket; }
    // The identifiers Sway has read from input commands so far, in order.
    QStringList parsedIdentifiers()
    {
        m_log += m_sway.readAll();
        static const QRegularExpression parsed("entering input block: ([^\n]*)");
        QStringList identifiers;
        for (auto match = parsed.globalMatch(QString::fromUtf8(m_log)); match.hasNext();)
            identifiers.append(match.next().captured(1));
        return identifiers;
    }

private:
    QTemporaryDir m_folder;
    QProcess m_sway;
    QString m_socket;
    QByteArray m_log;
};

TEST(RealSway, ReadsEveryQuotedIdentifierBackExactly)
{
    ASSERT_NO_FATAL_FAILURE(requirePrograms({{"sway", "sway"}, {"setpriv", "util-linux"}}));
    HeadlessSway sway;
    if (const QString why = sway.start(); !why.isEmpty()) {
        if (why.startsWith("running as root"))
            GTEST_SKIP() << why.toStdString();
        FAIL() << why.toStdString();
    }
    const QStringList identifiers{
        "1:2:Zono_X",
        R"(1:2:Evil";_exec_rm,_x_[y])",
        R"(1:2:back\slash_\\_and_\"_end\\)",
        "1:2:$mod_$$mod_$",
        R"(1:2:a\$mod_b\\$mod_c\\\$mod)",
        R"(1:2:it's_"x"_'')",
        R"(1:2:a\'b_c\\'d)",
        "1:2:Zoë_ü",
    };
    sway::SwayConnection connection(sway.socket());
    connection.open();
    ASSERT_TRUE(runMainLoopUntil([&] { return connection.isConnected(); }));
    int answered = 0;
    for (const QString& identifier : identifiers) {
        const auto quoted = sway::quoted(identifier);
        ASSERT_TRUE(quoted) << identifier.toStdString();
        connection.send(sway::RunCommand, sway::speedCommand(*quoted, 0.5).toUtf8(),
                        [&](const auto& reply) {
                            ++answered;
                            EXPECT_TRUE(reply && reply->array().at(0)["success"].toBool());
                        });
    }
    ASSERT_TRUE(runMainLoopUntil([&] {
        return answered == identifiers.size() &&
               sway.parsedIdentifiers().size() == identifiers.size();
    }));
    EXPECT_EQ(sway.parsedIdentifiers(), identifiers);
}

} // namespace
} // namespace veloquill::test
