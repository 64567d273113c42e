// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/log.h"
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace veloquill {
namespace {

std::string readAvailable(int fd)
{
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, size_t(n));
    return text;
}

// The lines of one event reach standard output together, escaped and in order, before the
// main loop waits again; none is held past that.
TEST(Log, LinesOfOneEventAreWrittenTogetherBeforeTheLoopWaits)
{
    int pipeFds[2];
    ASSERT_EQ(::pipe2(pipeFds, O_NONBLOCK), 0);
    std::fflush(stdout);
    const int savedStdout = ::dup(STDOUT_FILENO);
    ::dup2(pipeFds[1], STDOUT_FILENO);
    std::string duringEvent;
    QTimer::singleShot(0, [&] {
        logLine(QStringLiteral("first"));
        logLine(QStringLiteral("second\nforged"));
        duringEvent = readAvailable(pipeFds[0]);
    });
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
    const std::string afterEvent = readAvailable(pipeFds[0]);
    ::dup2(savedStdout, STDOUT_FILENO);
    for (const int fd : {savedStdout, pipeFds[0], pipeFds[1]})
        ::close(fd);
    EXPECT_EQ(duringEvent, "");
    EXPECT_EQ(afterEvent, "first\nsecond\\nforged\n");
}

} // namespace
} // namespace veloquill
