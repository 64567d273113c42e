// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "settings/device_specific_settings.h"
#include "settings/qsettings_defaults_store.h"
#include "support/blocking_paths.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <functional>

using namespace veloquill;
using namespace veloquill::test;

namespace {
const QByteArray Table =
    R"x(Veloquill_DeviceSpecificSettings_v1="@ByteArray({\"4660-171-Head Mouse-N/A\":{\"pointerSpeed\":0.2,\"pointerAcceleration\":3,\"pointerDisableAcceleration\":false}})")x";
const QByteArray Json =
    R"({"4660-171-Head Mouse-N/A":{"pointerSpeed":0.2,"pointerAcceleration":3,"pointerDisableAcceleration":false}})";
const QByteArray TableKey = "Veloquill_DeviceSpecificSettings_v1=";

QByteArray general(const QByteArray& lines)
{
    return "[General]\n" + lines + "\n";
}

// The path's kind, link target and (through a link) permissions: the same when left alone.
QString describeNode(const QString& path)
{
    return describePath(path) + " " + QString::number(QFileInfo(path).permissions(), 16);
}

// What must be true of the stored file after a start and a save.
enum class Afterwards
{
    Preserved,  // the file as it was is on disk: in place, or as a copy beside it
    InTable,    // the stored table still holds keptInTable beside the new value
    Untouched,  // the path is as it was (a read-only file, or not a regular file at all)
    ThroughLink // the link is kept, the file it leads to is updated and keeps its mode
};

// Puts at the settings file's path a file of the content or, as `how` says, a FIFO, folder or
// link to a FIFO in its place; a good file whose lock (which QSettings opens itself) is one of
// those or a link to /dev/zero; a socket; a dangling link; a read-only file; or a link to a file
// of mode 0640 that root, when it runs the test, gives away to another user.
void makeNode(const QString& how, const QString& conf, const QByteArray& content)
{
    const QString folder = QFileInfo(conf).path(), dotfiles = folder + "/dotfiles.conf";
    const std::map<QString, BlockingPath> blocking = {{"fifo", BlockingPath::Fifo},
                                                      {"folder", BlockingPath::Folder},
                                                      {"link to fifo", BlockingPath::LinkToFifo},
                                                      {"/dev/zero", BlockingPath::LinkToDevZero},
                                                      {"socket", BlockingPath::DeadSocket}};
    if (blocking.count(how)) {
        ASSERT_TRUE(makeBlockingPath(blocking.at(how), conf));
    } else if (how == "dangling link") {
        ASSERT_TRUE(QFile::link(folder + "/nowhere", conf));
    } else {
        QFile file(how == "other's" ? dotfiles : conf);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        ASSERT_TRUE(!how.startsWith("lock ") ||
                    makeBlockingPath(blocking.at(how.mid(5)), conf + ".lock"));
        ASSERT_TRUE(how != "read-only" || ::chmod(QFile::encodeName(conf), 0440) == 0);
        if (how == "other's") {
            ASSERT_EQ(::chmod(QFile::encodeName(dotfiles), 0640), 0);
            (void)!::chown(QFile::encodeName(dotfiles), 65534, 65534);
            ASSERT_TRUE(QFile::link(dotfiles, conf));
        }
    }
}

// The Head Mouse without a record: its own resolution, 400, read back as a speed.
constexpr double Read = 2.0 / 29;

struct BadStore
{
    const char* name;
    QByteArray content; // written to the settings file (or the file a link leads to)
    double loadedSpeed; // what the Head Mouse shows at start
    Afterwards afterwards = Afterwards::Preserved;
    QByteArray keptInTable = {};
    QString how = {}; // what makeNode() puts there besides a file of the content
};
// Bytes a JSON blob may hold, and a few an INI file must escape.
const char RawBlob[] = "{\"1-2-Zöno X-N/A\":[0.5]}\n\\;=@[x]\r\0end";
const QByteArray Blob(RawBlob, sizeof RawBlob - 1);

// Each test has its own XDG_CONFIG_HOME; the store finds its file there, in this process as
// in the writer's, which writes through the store in a process of its own.
class DefaultsStoreFile : public ::testing::Test
{
protected:
    DefaultsStoreFile() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path())); }
    ~DefaultsStoreFile() override { qunsetenv("XDG_CONFIG_HOME"); }

    QString confPath() const { return home.path() + "/Veloquill/Veloquill.conf"; }
    QTemporaryDir home;
    QProcess writer;
};
} // namespace

// Without a usable folder the settings live in memory: never under "/".
TEST_F(DefaultsStoreFile, ConfigFolderComesFromTheEnvironmentOrSettingsStayInMemory)
{
    const QByteArray home = qgetenv("HOME");
    const struct
    {
        const char* configHome;
        const char* home;
        QString path;
    } cases[] = {
        {"", "/h", "/h/.config/Veloquill/Veloquill.conf"},
        {"relative/config", "/h", "/h/.config/Veloquill/Veloquill.conf"},
        {"/c", "", "/c/Veloquill/Veloquill.conf"},
        {"", "", ""},
        {"", "relative", ""},
    };
    for (const auto& c : cases) {
        qputenv("XDG_CONFIG_HOME", c.configHome);
        qputenv("HOME", c.home);
        EXPECT_EQ(QSettingsDefaultsStore::standardFilePath(), c.path) << c.configHome << c.home;
    }
    qputenv("HOME", home);

    LogCapture log;
    QSettingsDefaultsStore store(QString{});
    EXPECT_FALSE(store.setString("preferredDeviceName", "Zono X"));
    EXPECT_EQ(store.string("preferredDeviceName"), "Zono X");
    EXPECT_EQ(log.lines(), QStringList{"QSettingsDefaultsStore: Settings are kept in memory only: "
                                       "neither XDG_CONFIG_HOME nor HOME names a folder."});
}

TEST_F(DefaultsStoreFile, NewProcessSeesExactlyWhatAKilledOneSavedJustBefore)
{
    QSettingsDefaultsStore before;
    before.setData("Veloquill_DeviceSpecificSettings_v1", "old");
    before.setString("selectedDeviceID_v2_settings_state", "old");
    writer.start(SETTINGS_STORE_WRITER,
                 {"data:Veloquill_DeviceSpecificSettings_v1=" + QString::fromLatin1(Blob.toHex()),
                  "string:preferredDeviceName=Zono X, Model 2", "bool:autoSwitchToNewDevices=false",
                  "remove:selectedDeviceID_v2_settings_state", "string:text=@ByteArray(x)",
                  "string:yes=yes", "wait"});
    while (!writer.canReadLine())
        ASSERT_TRUE(writer.waitForReadyRead(30000));
    EXPECT_EQ(writer.readLine(), "written\n");
    writer.kill(); // SIGKILL: no exit handlers, no destructors
    ASSERT_TRUE(writer.waitForFinished(30000));
    EXPECT_EQ(writer.exitStatus(), QProcess::CrashExit);

    QSettingsDefaultsStore after;
    EXPECT_EQ(after.data("Veloquill_DeviceSpecificSettings_v1"), Blob);
    EXPECT_EQ(after.string("preferredDeviceName"), "Zono X, Model 2");
    EXPECT_EQ(after.boolean("autoSwitchToNewDevices"), false);
    EXPECT_EQ(after.string("selectedDeviceID_v2_settings_state"), std::nullopt);
    // Kinds stay apart in the file: data is not text, and only true or false is a boolean.
    EXPECT_EQ(after.string("Veloquill_DeviceSpecificSettings_v1"), std::nullopt);
    EXPECT_EQ(after.data("text"), std::nullopt);
    EXPECT_EQ(after.string("text"), "@ByteArray(x)");
    EXPECT_EQ(after.boolean("yes"), std::nullopt);
}

// Each stored file or path a hand, a newer version or a broken disk can leave: the start ends
// in time, the Head Mouse gets what can be read, and after a save nothing that was there is
// lost — the file is untouched, or a copy holds it byte for byte, or (for a newer version's
// members) the table still holds them. Paths that are not regular files are neither opened nor
// replaced. (An unreadable record carried through saves is the settings state's own test.)
TEST_F(DefaultsStoreFile, BadStoredFilesAndPathsLoseNothingAndNeverStopTheStart)
{
    const QByteArray manyLines = [] {
        QByteArray lines;
        for (int i = 0; i < 20000; ++i)
            lines += "k" + QByteArray::number(i) + "=v\n";
        return lines;
    }();
    const std::vector<BadStore> cases = {
        {"table unquoted, split at its commas", general(TableKey + Json), Read},
        {"table as plain text",
         general(TableKey + "\"" + QByteArray(Json).replace("\"", "\\\"") + "\""), Read},
        {"truncated @ByteArray(", general(TableKey + "@ByteArray("), Read},
        {"@Variant value", general(TableKey + "@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x10)"), Read},
        {"@Invalid() value", general(TableKey + "@Invalid()"), Read},
        {"data that is not JSON", general(TableKey + "@ByteArray(not json)"), Read},
        {"truncated JSON",
         general(TableKey + "\"@ByteArray({\\\"4660-171-Head Mouse-N/A\\\":{\\\"pointerSp\""),
         Read},
        {"huge literal", general(QByteArray(Table).replace("0.2", "1e999")), Read},
        {"empty file", "", Read},
        {"only a section header", "[General]\n", Read},
        {"invalid UTF-8 in a key", general("\xff\xfe=1\n" + Table), 0.2},
        // A selection naming no present device stays: the defaults show until it comes.
        {"invalid UTF-8 in the selection",
         general(Table + "\nselectedDeviceID_v2_settings_state=\xc3\x28"), 0.5},
        {"binary line", general(QByteArray("\x01\x02\0\x7f junk\n", 10) + Table), 0.2},
        {"duplicate keys", general(Table + "\n" + TableKey + "@ByteArray({})"), Read},
        {"a device stored twice",
         general(QByteArray(Table).replace("}})",
                                           R"x(},\"4660-171-Head Mouse-N/A\":{\"pointerSpeed\")x"
                                           R"x(:0.4,\"pointerAcceleration\":3,)x"
                                           R"x(\"pointerDisableAcceleration\":false}}))x")),
         0.4},
        {"comment and spacing", general("; kept by hand\n" + QByteArray(Table).replace("=", " = ")),
         0.2},
        {"another section first", "[Other]\nx=1\n" + general(Table), 0.2},
        // Escaped in the log: one event, one line.
        {"a line break and ESC in the selection",
         general(Table + "\nselectedDeviceID_v2_settings_state=x\\ny\\x1b"), 0.5},
        {"selection that is a list", general(Table + "\nselectedDeviceID_v2_settings_state=a, b"),
         0.2},
        {"boolean that is neither true nor false", general(Table + "\nautoSwitchToNewDevices=yes"),
         0.2},
        {"twenty thousand lines", general(Table + "\n" + manyLines), 0.2},
        {"members of a newer version",
         general(QByteArray(Table).replace("false}", "false,\\\"curve\\\":[1,2]}")), 0.2,
         Afterwards::InTable, R"("curve":[1,2])"},
        // Paths that are no regular file, and files that cannot be written.
        {"a folder in its place", {}, Read, Afterwards::Untouched, {}, "folder"},
        {"a FIFO in its place", {}, Read, Afterwards::Untouched, {}, "fifo"},
        {"a socket in its place", {}, Read, Afterwards::Untouched, {}, "socket"},
        {"a dangling link", {}, Read, Afterwards::Untouched, {}, "dangling link"},
        {"a link to a FIFO: a device node", {}, Read, Afterwards::Untouched, {}, "link to fifo"},
        {"its lock a FIFO", general(Table), 0.2, Afterwards::Untouched, {}, "lock fifo"},
        {"its lock /dev/zero", general(Table), 0.2, Afterwards::Untouched, {}, "lock /dev/zero"},
        {"its lock a folder", general(Table), 0.2, Afterwards::Untouched, {}, "lock folder"},
        {"a read-only file", general(Table), 0.2, Afterwards::Untouched, {}, "read-only"},
        {"a link to another's", general(Table), 0.2, Afterwards::ThroughLink, {}, "other's"},
    };
    for (const BadStore& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir home;
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
        const QString folder = home.path() + "/Veloquill";
        const QString conf = folder + "/Veloquill.conf";
        ASSERT_TRUE(QDir().mkpath(folder));
        ASSERT_NO_FATAL_FAILURE(makeNode(c.how, conf, c.content));
        const QString nodeBefore = describeNode(conf);
        const QFileInfo linked(folder + "/dotfiles.conf");
        const auto ownerBefore = std::pair(linked.ownerId(), linked.groupId());
        // A copy an earlier start kept is never replaced.
        QFile earlier(conf + ".unreadable");
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier");
        earlier.close();

        QProcess start;
        start.start(SETTINGS_STORE_WRITER, {"start:0.9"});
        ASSERT_TRUE(start.waitForFinished(20000));
        EXPECT_EQ(start.exitStatus(), QProcess::NormalExit);
        const QByteArray output = start.readAllStandardOutput();
        EXPECT_TRUE(output.contains("\nloaded " + QByteArray::number(c.loadedSpeed) + "\n"))
            << output.toStdString();
        EXPECT_FALSE(output.contains("\ny\n") || output.contains('\x1b'));

        switch (c.afterwards) {
        case Afterwards::Untouched: {
            EXPECT_EQ(describeNode(conf), nodeBefore);
            QFile file(conf);
            if (!c.content.isEmpty() && file.open(QIODevice::ReadOnly)) {
                EXPECT_EQ(file.readAll(), c.content);
            }
            EXPECT_TRUE(output.contains("kept in memory only")) << output.toStdString();
            break;
        }
        case Afterwards::InTable: {
            const auto table =
                QSettingsDefaultsStore(conf).data("Veloquill_DeviceSpecificSettings_v1");
            ASSERT_TRUE(table);
            EXPECT_TRUE(table->contains(c.keptInTable) && table->contains("\"pointerSpeed\":0.9"))
                << table->toStdString();
            break;
        }
        case Afterwards::ThroughLink:
            EXPECT_EQ(describeNode(conf), nodeBefore);
            EXPECT_EQ(std::pair(QFileInfo(linked.filePath()).ownerId(),
                                QFileInfo(linked.filePath()).groupId()),
                      ownerBefore);
            EXPECT_TRUE(QSettingsDefaultsStore(conf)
                            .data("Veloquill_DeviceSpecificSettings_v1")
                            .value_or("")
                            .contains("\"pointerSpeed\":0.9"));
            break;
        case Afterwards::Preserved: {
            ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
            EXPECT_EQ(earlier.readAll(), "earlier");
            const QStringList copies = QDir(folder).entryList({"Veloquill.conf.unreadable.*"});
            EXPECT_LE(copies.size(), 1);
            QFile file(copies.isEmpty() ? conf : folder + "/" + copies.value(0));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            const QByteArray kept = file.readAll();
            if (!copies.isEmpty()) {
                EXPECT_EQ(kept, c.content);
                EXPECT_TRUE(output.contains("Kept a copy of " + QFile::encodeName(conf) +
                                            " as it was in " + QFile::encodeName(file.fileName())));
                break;
            }
            // No copy: only the table and the selection (moved to the connected device)
            // changed, every other line is as it was.
            for (const QByteArray& line : c.content.split('\n')) {
                if (!line.startsWith(TableKey) && !line.startsWith("selectedDeviceID")) {
                    EXPECT_TRUE(kept.contains(line)) << line.toStdString();
                }
            }
            break;
        }
        }
    }
}

namespace {
const QString TableName = "Veloquill_DeviceSpecificSettings_v1";

QByteArray tableOf(const QList<std::pair<QString, double>>& speeds)
{
    DeviceSettingsTable table;
    for (const auto& [id, speed] : speeds)
        table.insert(id, {speed, 1.0, false});
    return *encodeDeviceSettingsTable(table).data;
}

QByteArray bytesOf(const QString& path)
{
    QString error;
    return readRegularFile(path, &error).value_or("missing");
}

// As another writer saves: a new file renamed into place.
void replaceFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path + ".new");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    ASSERT_EQ(::rename(QFile::encodeName(file.fileName()), QFile::encodeName(path)), 0);
}

QByteArray settingsFile(const QByteArray& table, const QString& name)
{
    QTemporaryDir scratch;
    const QString path = scratch.filePath("other.conf");
    QSettings(path, QSettings::IniFormat).setValue(TableName, table);
    QSettings(path, QSettings::IniFormat).setValue("preferredDeviceName", name);
    return bytesOf(path);
}

// The records' speeds and the preferences the file holds, read from a copy of it.
QString summary(const QString& path)
{
    QTemporaryDir scratch;
    const QString copy = scratch.filePath("copy.conf");
    QFile::copy(path, copy);
    const QSettings settings(copy, QSettings::IniFormat);
    const auto table = decodeDeviceSettingsTable(settings.value(TableName).toByteArray()).table;
    QStringList parts;
    for (const QString& id : table.value_or(DeviceSettingsTable()).keys())
        parts << id + ":" + QString::number(table->value(id).pointerSpeed);
    parts.sort();
    return parts.join(' ') + " name=" + settings.value("preferredDeviceName").toString();
}

struct DiskChange
{
    const char* name;
    // What the other writer does to the file (through the link when there is one).
    std::function<void(const QString& file, const QString& conf)> other;
    QString key; // this process's write: data for the table, else text
    QVariant value;
    QString onDisk;
    bool copyKept; // a copy holds the file as the other writer left it
    QString logged;
    bool linkedAtStart = false;
};
} // namespace

// The file holds A at 0.2 and the name "Start" when this process reads it; another writer
// changes it before this process writes. What only one side changed is kept from that side;
// where both changed a key or record, this process's wins and a copy keeps the other's.
TEST_F(DefaultsStoreFile, ChangesOnDiskSinceTheLastReadAreMergedNeverOverwritten)
{
    const auto otherWrites = [](const QList<std::pair<QString, double>>& speeds,
                                const QString& name) {
        return [=](const QString& file, const QString&) {
            replaceFile(file, settingsFile(tableOf(speeds), name));
        };
    };
    const auto linkedTo = [](uint owner) {
        return [=](const QString&, const QString& conf) {
            const QString elsewhere = conf + ".elsewhere";
            replaceFile(elsewhere, settingsFile(tableOf({{"A", 0.5}}), "Theirs"));
            ASSERT_EQ(::chown(QFile::encodeName(elsewhere), owner, owner), 0);
            ASSERT_TRUE(QFile::remove(conf) && QFile::link(elsewhere, conf));
        };
    };
    const std::vector<DiskChange> cases = {
        {"another writer added a record and changed a preference",
         otherWrites({{"A", 0.2}, {"B", 0.7}}, "Theirs"), TableName, tableOf({{"A", 0.9}}),
         "A:0.9 B:0.7 name=Theirs", false, "Took in what another writer saved"},
        {"both changed the same record", otherWrites({{"A", 0.5}, {"B", 0.7}}, "Start"), TableName,
         tableOf({{"A", 0.9}}), "A:0.9 B:0.7 name=Start", true,
         "another writer changed " + TableName + " too"},
        {"both changed the same preference", otherWrites({{"A", 0.2}}, "Theirs"),
         "preferredDeviceName", "Mine", "A:0.2 name=Mine", true,
         "another writer changed preferredDeviceName too"},
        {"replaced by unreadable bytes",
         [](const QString& file, const QString&) { replaceFile(file, "\x01junk\n[x"); },
         "preferredDeviceName", "Mine", "A:0.2 name=Mine", true, "Kept a copy of"},
        {"swapped for a link to another owner's file", linkedTo(65534), TableName,
         tableOf({{"A", 0.9}}), "A:0.5 name=Theirs", false, "a file of another owner"},
        {"swapped for a link to a file of its owner", linkedTo(::geteuid()), TableName,
         tableOf({{"A", 0.9}}), "A:0.9 name=Theirs", true, "changed " + TableName + " too"},
        {"a link there from the start", otherWrites({{"A", 0.2}, {"B", 0.7}}, "Start"), TableName,
         tableOf({{"A", 0.9}}), "A:0.9 B:0.7 name=Start", false,
         "Took in what another writer saved", true},
    };
    for (const DiskChange& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir home;
        const QString conf = home.filePath("Veloquill.conf");
        const QString file = c.linkedAtStart ? home.filePath("dotfiles.conf") : conf;
        replaceFile(file, settingsFile(tableOf({{"A", 0.2}}), "Start"));
        ASSERT_TRUE(!c.linkedAtStart || QFile::link(file, conf));
        LogCapture log;
        QSettingsDefaultsStore store(conf);
        int adopted = 0;
        store.mergeDataWith(TableName, mergeDeviceSettingsData, [&] { ++adopted; });

        c.other(file, conf);
        const QByteArray theirs = bytesOf(conf);
        const bool durable = c.key == TableName ? store.setData(c.key, c.value.toByteArray())
                                                : store.setString(c.key, c.value.toString());
        EXPECT_EQ(durable, c.logged != "a file of another owner");
        EXPECT_EQ(summary(conf), c.onDisk);
        EXPECT_EQ(adopted, c.onDisk.contains("B:0.7") ? 1 : 0);
        EXPECT_EQ(bytesOf(conf + ".unreadable"), c.copyKept ? theirs : "missing");
        EXPECT_EQ(log.lines().filter(c.logged).size(), 1) << log.lines().join('\n').toStdString();
        EXPECT_EQ(QFileInfo(conf).isSymLink(), QString(c.name).contains("link"));
    }
}

// A file where the store's folder should be, or QSettings' lock held by a writer of today's or
// an earlier version (the write waits a moment, not for ever): the write fails like any write
// that cannot be made, and lands with the next one that succeeds.
TEST_F(DefaultsStoreFile, FailedWriteIsLoggedAndLandsWithTheNextOneThatSucceeds)
{
    QFile blocker(home.path() + "/Veloquill");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    LogCapture log;
    QSettingsDefaultsStore store;
    EXPECT_FALSE(store.setString("preferredDeviceName", "Zono X"));
    ASSERT_TRUE(blocker.remove() && QDir().mkpath(blocker.fileName()));
    QLockFile other(confPath() + ".lock");
    ASSERT_TRUE(other.tryLock());
    EXPECT_FALSE(store.setBoolean("autoSwitchToNewDevices", true));
    EXPECT_EQ(log.lines(), QStringList(2, "QSettingsDefaultsStore: Could not write settings to " +
                                              confPath() + ": access error"));
    other.unlock();
    EXPECT_TRUE(store.remove("selectedDeviceID_v2_settings_state"));
    EXPECT_EQ(bytesOf(confPath()),
              "[General]\nautoSwitchToNewDevices=true\npreferredDeviceName=Zono X\n");
}
