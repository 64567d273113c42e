// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// One socket per X server, and `veloquill --restore` asking the program that runs on it.
#include "shell/single_instance.h"
#include "support/blocking_paths.h"
#include "support/display_name.h"
#include "support/log_capture.h"
#include "support/main_loop.h"
#include "support/qt_printers.h"

#include <gtest/gtest.h>

#include <QLocalServer>
#include <QTemporaryDir>

#include <future>

using namespace veloquill;
using namespace std::chrono_literals;

// A spelling and its name; localhost:10, forwarded by ssh, is another server than :10.
TEST(CanonicalDisplayName, EverySpellingOfOneServerIsOneNameAndAnythingElseIsKept)
{
    const QString rows =
        ":0 :0|:0.0 :0|unix:0 :0|unix:0.1 :0|:007.2 :7|host:1.0 host:1|::1:10.0 "
        "::1:10|localhost:10 localhost:10|wayland-0 wayland-0|:0.x :0.x|:9999999999 :9999999999";
    for (const QString& row : rows.split('|'))
        EXPECT_EQ(canonicalDisplayName(row.section(' ', 0, 0)), row.section(' ', 1));
}

TEST(SingleInstance, RestoreRequestGetsTheRunningInstancesOutcomeAndSilenceIsToldFromNobody)
{
    using Answer = SingleInstance::RestoreAnswer;
    QTemporaryDir runtimeDir;
    SingleInstance running(runtimeDir.filePath("veloquill"));
    ASSERT_EQ(running.claim(), SingleInstance::Role::Primary);
    running.listen();
    // A lock that cannot be made is no running instance.
    EXPECT_EQ(SingleInstance(runtimeDir.filePath("missing/x")).claim(),
              SingleInstance::Role::Primary);
    QString failure;
    QObject::connect(&running, &SingleInstance::restoreRequested,
                     [&] { running.answerRestore(failure); });
    // Asked from a thread of its own, as from another process, while this loop answers.
    const auto ask = [](const QString& path, int patienceMs = 3000) {
        QString reason;
        auto answer = std::async(std::launch::async, [&] {
            return SingleInstance::askToRestore(path, patienceMs, &reason);
        });
        test::runMainLoopUntil([&] { return answer.wait_for(0s) == std::future_status::ready; });
        return std::pair(answer.get(), reason);
    };
    EXPECT_EQ(ask(running.socketPath()), std::pair(Answer::Restored, QString()));
    failure = "2 devices\nare gone";
    EXPECT_EQ(ask(running.socketPath()), std::pair(Answer::Failed, QString("2 devices are gone")));
    // A Veloquill from before this request reads it as nothing it knows and stays silent.
    QLocalServer older;
    ASSERT_TRUE(older.listen(runtimeDir.filePath("older")));
    EXPECT_EQ(ask(older.fullServerName(), 300).first, Answer::NoAnswer);
}

// A lock or socket path holding what is no file of the program's own is left alone: the
// process runs without the check, says so in one line, and never waits on it.
TEST(SingleInstance, LockOrSocketPathThatIsNoFileOfItsOwnRunsWithoutTheCheck)
{
    for (const test::BlockingPath kind : test::ReadBlockingPaths) {
        for (const char* suffix : {".lock", ".lock.rmlock", ""}) {
            SCOPED_TRACE(std::string(suffix) + " " + std::to_string(int(kind)));
            QTemporaryDir runtimeDir;
            const QString socket = runtimeDir.filePath("veloquill");
            ASSERT_TRUE(test::makeBlockingPath(kind, socket + suffix));
            const QString before = test::describePath(socket + suffix);
            test::HangGuard guard;
            test::LogCapture log;
            EXPECT_EQ(SingleInstance(socket).claim(), SingleInstance::Role::Primary);
            EXPECT_EQ(test::describePath(socket + suffix), before);
            ASSERT_EQ(log.lines().size(), 1);
            EXPECT_TRUE(log.lines()[0].startsWith(
                "[SingleInstance] Running without a single-instance check: " + socket + suffix));
        }
    }
}

// `veloquill --precision`: the running instance switches and says how it ended; one that
// does not know the request, or no instance at all, is told apart.
TEST(SingleInstance, PrecisionRequestIsAnsweredWithTheNewState)
{
    using Answer = SingleInstance::PrecisionAnswer;
    QTemporaryDir runtimeDir;
    SingleInstance running(runtimeDir.filePath("veloquill"));
    ASSERT_EQ(running.claim(), SingleInstance::Role::Primary);
    running.listen();
    bool on = false;
    running.setPrecisionHandler([&](const QString& command) {
        on = command == "toggle" ? !on : command == "on";
        return on;
    });
    const auto ask = [](const QString& path, const QString& command, int patienceMs = 3000) {
        auto answer = std::async(std::launch::async, [&] {
            return SingleInstance::askPrecision(path, command, patienceMs);
        });
        test::runMainLoopUntil([&] { return answer.wait_for(0s) == std::future_status::ready; });
        return answer.get();
    };
    const std::pair<const char*, Answer> table[] = {
        {"on", Answer::On}, {"toggle", Answer::Off}, {"toggle", Answer::On}, {"off", Answer::Off}};
    for (const auto& [command, answer] : table)
        EXPECT_EQ(ask(running.socketPath(), command), answer) << command;
    QLocalServer older;
    ASSERT_TRUE(older.listen(runtimeDir.filePath("older")));
    EXPECT_EQ(ask(older.fullServerName(), "on", 300), Answer::NoAnswer);
    EXPECT_EQ(ask(runtimeDir.filePath("nobody"), "on"), Answer::NoInstance);
}
