// The single-instance socket: its name, and `veloquill --restore` asking the running program.
#include "shell/single_instance.h"
#include "support/main_loop.h"
#include "support/qt_printers.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLocalServer>
#include <QTemporaryDir>

#include <chrono>
#include <future>

using namespace veloquill;

namespace {
using Answer = SingleInstance::RestoreAnswer;

// Asked from a thread of its own, as another process would, while this one's loop runs.
std::pair<Answer, QString> askToRestore(const QString& path, int patienceMs)
{
    QString reason;
    auto answer = std::async(std::launch::async, [&] {
        return SingleInstance::askToRestore(path, patienceMs, &reason);
    });
    test::runMainLoopUntil(
        [&] { return answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
        patienceMs + 2000);
    return {answer.get(), reason};
}
} // namespace

TEST(SingleInstance, OneSocketPerUserAndXServerWhateverTheSpellingAndNoneWithoutARuntimeFolder)
{
    const QByteArray display = qgetenv("DISPLAY"), runtime = qgetenv("XDG_RUNTIME_DIR");
    QTemporaryDir runtimeDir;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir.path()));
    QStringList paths;
    for (const char* spelling : {":7", "unix:7.0", ":8"}) {
        qputenv("DISPLAY", spelling);
        paths << SingleInstance::defaultSocketPath();
    }
    EXPECT_EQ(paths[0], paths[1]);
    EXPECT_NE(paths[0], paths[2]);
    EXPECT_TRUE(paths[0].startsWith(runtimeDir.path() + "/")) << paths[0].toStdString();
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir.filePath("missing")));
    EXPECT_EQ(SingleInstance::defaultSocketPath(), "");
    qputenv("DISPLAY", display);
    qputenv("XDG_RUNTIME_DIR", runtime);

    // Neither no path nor a lock that cannot be made is a running instance.
    for (const QString& path : {QString(), runtimeDir.filePath("missing/veloquill")})
        EXPECT_EQ(SingleInstance(path).claim(), SingleInstance::Role::Primary)
            << path.toStdString();
}

TEST(SingleInstance, RestoreRequestGetsTheRunningInstancesOutcomeAndSilenceIsToldFromNobody)
{
    QTemporaryDir runtimeDir;
    const QString path = runtimeDir.filePath("veloquill");
    SingleInstance running(path);
    ASSERT_EQ(running.claim(), SingleInstance::Role::Primary);
    QString failure;
    int reopens = 0;
    QObject::connect(&running, &SingleInstance::restoreRequested,
                     [&] { running.answerRestore(failure); });
    QObject::connect(&running, &SingleInstance::reopenRequested, [&] { ++reopens; });
    EXPECT_EQ(askToRestore(path, 3000), std::pair(Answer::Restored, QString()));
    failure = "2 devices\nare gone";
    EXPECT_EQ(askToRestore(path, 3000), std::pair(Answer::Failed, QString("2 devices are gone")));
    EXPECT_EQ(reopens, 0);
    EXPECT_EQ(askToRestore(runtimeDir.filePath("nobody"), 3000).first, Answer::NoInstance);
    // A Veloquill from before this request reads it as nothing it knows and stays silent.
    QLocalServer older;
    ASSERT_TRUE(older.listen(runtimeDir.filePath("older")));
    EXPECT_EQ(askToRestore(older.fullServerName(), 300).first, Answer::NoAnswer);
}
