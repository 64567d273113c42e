#include "shell/single_instance.h"
#include "support/log_capture.h"
#include "support/main_loop.h"

#include <QLocalSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace veloquill;

namespace {
// Two starts of the program, played by two objects in this one process.
struct TwoStarts
{
    test::LogCapture log;
    QTemporaryDir runtimeDir;
    QString socketPath = runtimeDir.filePath(QStringLiteral("veloquill"));
    SingleInstance first{socketPath};
    SingleInstance second{socketPath};
    int reopens = 0;

    TwoStarts()
    {
        QObject::connect(&first, &SingleInstance::reopenRequested, [this] { ++reopens; });
    }
};

// What a crashed process leaves behind: the socket file with nobody listening.
void leaveStaleSocket(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray encoded = path.toLocal8Bit();
    ASSERT_LT(size_t(encoded.size()), sizeof(address.sun_path));
    std::copy(encoded.begin(), encoded.end(), address.sun_path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
}
} // namespace

TEST(SingleInstance, SecondStartAsksTheFirstToReopenAndLeaves)
{
    TwoStarts starts;
    ASSERT_EQ(starts.first.claim(), SingleInstance::Role::Primary);
    EXPECT_TRUE(starts.first.isListening());

    EXPECT_EQ(starts.second.claim(), SingleInstance::Role::Secondary);
    EXPECT_FALSE(starts.second.isListening());
    EXPECT_TRUE(starts.log.contains("[SingleInstance] Veloquill is already running; asked it to "
                                    "open its settings window."));
    EXPECT_TRUE(test::runMainLoopUntil([&] { return starts.reopens == 1; }));
    EXPECT_TRUE(starts.log.contains("[SingleInstance] Reopen request received."));
}

TEST(SingleInstance, SocketLeftByACrashedProcessIsTakenOver)
{
    TwoStarts starts;
    leaveStaleSocket(starts.socketPath);
    ASSERT_EQ(starts.first.claim(), SingleInstance::Role::Primary);
    EXPECT_TRUE(starts.first.isListening());

    EXPECT_EQ(starts.second.claim(), SingleInstance::Role::Secondary);
    EXPECT_TRUE(test::runMainLoopUntil([&] { return starts.reopens == 1; }));
}

TEST(SingleInstance, AnythingButAReopenRequestIsIgnored)
{
    TwoStarts starts;
    ASSERT_EQ(starts.first.claim(), SingleInstance::Role::Primary);
    QLocalSocket stranger;
    stranger.connectToServer(starts.socketPath);
    ASSERT_TRUE(stranger.waitForConnected(1000));
    stranger.write(QByteArray("open\n") + QByteArray(200, 'x'));
    ASSERT_TRUE(stranger.waitForBytesWritten(1000));
    // The server hangs up on a stranger that keeps talking.
    EXPECT_TRUE(
        test::runMainLoopUntil([&] { return stranger.state() == QLocalSocket::UnconnectedState; }));
    EXPECT_EQ(starts.reopens, 0);

    EXPECT_EQ(starts.second.claim(), SingleInstance::Role::Secondary);
    EXPECT_TRUE(test::runMainLoopUntil([&] { return starts.reopens == 1; }));
}
