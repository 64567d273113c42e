#include "shell/single_instance.h"
#include "support/main_loop.h"

#include <QLocalSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace veloquill;

TEST(SingleInstance, TakesOverACrashedStartsSocketIgnoresStrangersAndHearsTheSecondStart)
{
    QTemporaryDir runtimeDir;
    const QString path = runtimeDir.filePath("veloquill");
    // What a crashed process leaves behind: the socket file with nobody listening.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, path.toLocal8Bit().constData(), sizeof(address.sun_path));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);

    SingleInstance first(path);
    int reopens = 0;
    QObject::connect(&first, &SingleInstance::reopenRequested, [&] { ++reopens; });
    ASSERT_EQ(first.claim(), SingleInstance::Role::Primary);

    // The server hangs up on a stranger that keeps talking, and opens nothing.
    QLocalSocket stranger;
    stranger.connectToServer(path);
    ASSERT_TRUE(stranger.waitForConnected(1000));
    stranger.write(QByteArray("open\n") + QByteArray(200, 'x'));
    EXPECT_TRUE(
        test::runMainLoopUntil([&] { return stranger.state() == QLocalSocket::UnconnectedState; }));
    EXPECT_EQ(reopens, 0);

    SingleInstance second(path);
    EXPECT_EQ(second.claim(), SingleInstance::Role::Secondary);
    EXPECT_TRUE(test::runMainLoopUntil([&] { return reopens == 1; }));
}
