// The names the program keeps its single-instance socket and crash journal under.
#include "support/display_name.h"
#include "support/qt_printers.h"
#include "support/runtime_folder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>

namespace veloquill {
namespace {

TEST(CanonicalDisplayName, EverySpellingOfOneServerIsOneNameAndAnythingElseIsKept)
{
    const std::pair<QString, QString> rows[] = {
        {":0", ":0"},
        {":0.0", ":0"},
        {"unix:0", ":0"},
        {"unix:0.1", ":0"},
        {":007.2", ":7"},
        {"host:1.0", "host:1"},
        {"::1:10.0", "::1:10"},           // an IPv6 host
        {"localhost:10", "localhost:10"}, // forwarded over ssh: another server than :10
        {"wayland-0", "wayland-0"},
        {"/tmp/.X11-unix/X0", "/tmp/.X11-unix/X0"},
        {":0.x", ":0.x"},
        {":99999999999", ":99999999999"},
    };
    for (const auto& [spelling, canonical] : rows)
        EXPECT_EQ(canonicalDisplayName(spelling), canonical) << spelling.toStdString();
    const QByteArray display = qgetenv("DISPLAY");
    qputenv("DISPLAY", "unix:5.0");
    EXPECT_EQ(canonicalDisplayName({}), ":5");
    qputenv("DISPLAY", display);
}

TEST(RuntimeFolder, SaysWhyNothingCanBeKeptThere)
{
    QTemporaryDir base;
    QFile file(base.filePath("file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QString strangers = base.filePath("strangers");
    ASSERT_TRUE(QDir(base.path()).mkdir("strangers"));
    ASSERT_EQ(::chown(QFile::encodeName(strangers).constData(), ::geteuid() + 1, -1), 0);
    const std::pair<QString, QString> rows[] = {
        {base.path(), ""},
        {base.filePath("missing"), ": No such file or directory"},
        {file.fileName(), " is not a folder"},
        {strangers, " belongs to another user"},
    };
    const QByteArray variable = qgetenv("XDG_RUNTIME_DIR");
    for (const auto& [path, problem] : rows) {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(path));
        const RuntimeFolder folder = runtimeFolder();
        EXPECT_EQ(folder.path, path);
        EXPECT_EQ(folder.problem,
                  problem.isEmpty() ? problem : "the runtime folder " + path + problem);
    }
    qputenv("XDG_RUNTIME_DIR", variable);
}

} // namespace
} // namespace veloquill
