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

// `veloquill --restore` gets the running instance's outcome, `veloquill --precision` the new
// state; a Veloquill from before these requests reads them as nothing it knows and stays silent,
// which is told apart from no instance at all.
TEST(SingleInstance, RestoreAndPrecisionRequestsAreAnsweredAndSilenceIsToldFromNobody)
{
    using Restore = SingleInstance::RestoreAnswer;
    using Precision = SingleInstance::PrecisionAnswer;
    QTemporaryDir runtimeDir;
    SingleInstance running(runtimeDir.filePath("veloquill"));
    ASSERT_EQ(running.claim(), SingleInstance::Role::Primary);
    running.listen();
    // A lock that cannot be made is no running instance; one held by an instance that is
    // not listening yet is, even when it never answers.
    EXPECT_EQ(SingleInstance(runtimeDir.filePath("missing/x")).claim(),
              SingleInstance::Role::Primary);
    SingleInstance starting(runtimeDir.filePath("starting"));
    ASSERT_EQ(starting.claim(), SingleInstance::Role::Primary);
    EXPECT_EQ(SingleInstance(starting.socketPath()).claim(), SingleInstance::Role::Secondary);
    QString failure;
    QObject::connect(&running, &SingleInstance::restoreRequested,
                     [&] { running.answerRestore(failure); });
    bool on = false;
    running.setPrecisionHandler([&](const QString& command) {
        on = command == "toggle" ? !on : command == "on";
        return on;
    });
    QLocalServer older;
    ASSERT_TRUE(older.listen(runtimeDir.filePath("older")));
    // Asked from a thread of its own, as from another process, while this loop answers.
    const auto ask = [](auto question) {
        auto answer = std::async(std::launch::async, question);
        test::runMainLoopUntil([&] { return answer.wait_for(0s) == std::future_status::ready; });
        return answer.get();
    };
    const auto restore = [&](const QString& path, int patienceMs = 3000) {
        QString reason;
        const Restore answer =
            ask([&] { return SingleInstance::askToRestore(path, patienceMs, &reason); });
        return std::pair(answer, reason);
    };
    EXPECT_EQ(restore(running.socketPath()), std::pair(Restore::Restored, QString()));
    failure = "2 devices\nare gone";
    EXPECT_EQ(restore(running.socketPath()),
              std::pair(Restore::Failed, QString("2 devices are gone")));
    EXPECT_EQ(restore(older.fullServerName(), 300).first, Restore::NoAnswer);

    const auto precision = [&](const QString& path, const QString& command, int patienceMs = 3000) {
        return ask([&] { return SingleInstance::askPrecision(path, command, patienceMs); });
    };
    const std::pair<const char*, Precision> table[] = {{"on", Precision::On},
                                                       {"toggle", Precision::Off},
                                                       {"toggle", Precision::On},
                                                       {"off", Precision::Off}};
    for (const auto& [command, answer] : table)
        EXPECT_EQ(precision(running.socketPath(), command), answer) << command;
    EXPECT_EQ(precision(older.fullServerName(), "on", 300), Precision::NoAnswer);
    EXPECT_EQ(precision(runtimeDir.filePath("nobody"), "on"), Precision::NoInstance);
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
