#include "temporary_config_home.h"

#include "login_item/start_at_login.h"
#include "login_item/start_at_login_faces.h"
#include "settings/in_memory_defaults_store.h"
#include "support/main_loop.h"
#include "support/qt_printers.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace veloquill;
using namespace veloquill::test;

namespace {
const QString AppId = QStringLiteral(VELOQUILL_APP_ID);
const QString ProgramPath = QStringLiteral("/opt/Veloquill/bin/veloquill");
const QByteArray ActiveEntry = "[Desktop Entry]\nType=Application\nExec=/old/veloquill\n";

// The program and arguments the entry's Exec runs, read as strictly as the desktop entry
// format allows: string escapes undone, then quoting, then field codes (only %% here).
// Anything the format forbids reads as nothing.
std::optional<QStringList> execCommandLine(const QString& raw)
{
    QString line;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const qsizetype escape = raw[i] != '\\'     ? -2
                                 : ++i < raw.size() ? QString("sntr\\").indexOf(raw[i])
                                                    : -1;
        if (escape == -1)
            return std::nullopt;
        line += escape == -2 ? raw[i] : QString(" \n\t\r\\")[escape];
    }
    QStringList arguments;
    QString current;
    bool inArgument = false;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted && c == '\\') {
            if (++i == line.size() || !QString("\"`$\\").contains(line[i]))
                return std::nullopt;
            current += line[i];
        } else if (c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if (!quoted && c == ' ') {
            if (inArgument)
                arguments.append(current);
            current.clear();
            inArgument = false;
        } else if (!quoted && QString("\t\n'\\><~|&;$*?#()`").contains(c)) {
            return std::nullopt;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (quoted)
        return std::nullopt;
    if (inArgument)
        arguments.append(current);
    for (QString& argument : arguments) {
        const QStringList parts = argument.split("%%");
        if (parts.join("").contains('%'))
            return std::nullopt;
        argument = parts.join('%');
    }
    return arguments;
}

class StartAtLoginEntry : public ::testing::Test
{
protected:
    QString entryPath() const { return home.entryPath(AppId); }
    // The raw Exec value of the entry's own group, or nothing.
    std::optional<QString> execValue() const
    {
        QFile file(entryPath());
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
        if (lines.value(0) != "[Desktop Entry]")
            return std::nullopt;
        for (const QString& line : lines.mid(1)) {
            if (line.startsWith('['))
                break;
            if (line.startsWith("Exec="))
                return line.mid(5);
        }
        return std::nullopt;
    }
    // Every value the stream delivers from now on.
    std::shared_ptr<ObservationToken> record()
    {
        return startAtLogin.subscribe([this](bool value) { values.append(value); });
    }

    TemporaryConfigHome home;
    StartAtLogin startAtLogin{AppId, ProgramPath};
    QList<bool> values;
    CriticalLogCapture log;
};
} // namespace

TEST_F(StartAtLoginEntry, SwitchingOnWritesAnEntryThatStartsExactlyThisProgramAndOffRemovesIt)
{
    // A fresh account has no autostart folder yet: switching on makes it.
    ASSERT_FALSE(QFileInfo::exists(home.autostartPath()));
    const QString paths[] = {
        ProgramPath,
        "/opt/Velo Quill/bin/veloquill",
        "/home/o'brien/\"quoted\"/veloquill",
        "/tmp/back\\slash/double\\\\/trailing\\",
        "/tmp/$HOME/$(reboot)/${PATH}/`id`",
        "/tmp/100%/%f %U %%/veloquill%",
        "/tmp/new\nline/tab\there/cr\rhere",
        "/tmp/;&|<>*?#~()=/veloquill",
        "/home/zoë/программы/速度/veloquill",
        "/tmp/\\$`\"%\\\"/mixed",
    };
    for (const QString& path : paths) {
        StartAtLogin(AppId, path).setEnabled(true);
        const auto value = execValue();
        ASSERT_TRUE(value) << path.toStdString();
        EXPECT_EQ(execCommandLine(*value), QStringList{path}) << value->toStdString();
    }
    EXPECT_TRUE(startAtLogin.isEnabled());
    // Written beside the entry and renamed over it: nothing else is left in the folder.
    EXPECT_EQ(QDir(home.autostartPath()).entryList(QDir::Files | QDir::Hidden),
              QStringList{AppId + ".desktop"});

    startAtLogin.setEnabled(false);
    EXPECT_FALSE(QFileInfo::exists(entryPath()));
    startAtLogin.setEnabled(false); // off while off is no failure
    EXPECT_FALSE(startAtLogin.isEnabled());
    EXPECT_EQ(log.lines(), QStringList());

    // The round trips are only worth something if the reader is strict.
    EXPECT_EQ(execCommandLine("/opt/a b"), (QStringList{"/opt/a", "b"}));
    EXPECT_EQ(execCommandLine("\"/opt/a\\\\\\\\b%%\""), QStringList{"/opt/a\\b%"});
    for (const char* refused :
         {"/opt/$HOME", "\"/opt/a\\\\b\"", "\"/opt/1%\"", "\"/opt/open", "/opt/\\q"})
        EXPECT_EQ(execCommandLine(refused), std::nullopt) << refused;
}

TEST_F(StartAtLoginEntry, EntriesTheDesktopSwitchedOffReadAsOffUntilSwitchedOnAgain)
{
    const std::pair<QByteArray, bool> table[] = {
        {"", true},
        {"Hidden=true\n", false},
        {"Hidden=1\n", false},
        {"X-GNOME-Autostart-enabled = false\n", false},
        {"X-GNOME-Autostart-enabled=0\n", false},
        {"# Hidden=true\nX-GNOME-Autostart-enabled=true\n", true},
        {"Hidden=false\n[Desktop Action Quit]\nHidden=true\n", true}, // only its own group
    };
    for (const auto& [extra, enabled] : table) {
        SCOPED_TRACE(extra.toStdString());
        home.writeEntry(AppId, ActiveEntry + extra);
        EXPECT_EQ(startAtLogin.isEnabled(), enabled);
        startAtLogin.setEnabled(true);
        EXPECT_TRUE(startAtLogin.isEnabled());
    }
}

// The login item's log wording, pinned once: each way a write can fail.
TEST_F(StartAtLoginEntry, FailuresAreLoggedAndEveryFaceShowsTheRealState)
{
    home.blockAutostartFolder();
    const auto token = record();
    QList<bool> notified;
    QObject::connect(&startAtLogin.kvo(), &StartAtLoginKvo::isEnabledChanged,
                     [&](bool enabled) { notified.append(enabled); });
    startAtLogin.setEnabled(true);

    // A folder in the entry's place: nothing can be renamed over it or unlink it, not even root.
    QFile(home.autostartPath()).remove();
    QDir().mkpath(entryPath() + "/inside");
    startAtLogin.setEnabled(true);
    startAtLogin.setEnabled(false);
    drainMainLoop();
    EXPECT_EQ(values, (QList<bool>{false, false, false, false}));
    EXPECT_EQ(notified, (QList<bool>{false, false, false}));
    const QString category = AppId + ".main: ";
    EXPECT_EQ(
        log.lines(),
        QStringList({category + "Failed to enable launch at login: cannot create the folder " +
                         home.autostartPath() + ": Not a directory",
                     category + "Failed to enable launch at login: cannot write " + entryPath() +
                         ": Filename refers to a directory",
                     category + "Failed to disable launch at login: cannot remove " + entryPath() +
                         ": Is a directory"}));
}

TEST_F(StartAtLoginEntry, StreamStartsWithTheCurrentStateAndThenFollowsEveryWrite)
{
    home.writeEntry(AppId, ActiveEntry);
    auto first = record();
    // Values come on the main loop, never inside the call.
    EXPECT_TRUE(values.isEmpty());
    drainMainLoop();
    startAtLogin.setEnabled(true); // on while on writes again: the program may have moved
    EXPECT_EQ(execCommandLine(*execValue()), QStringList{ProgramPath});
    startAtLogin.setEnabled(false);
    EXPECT_EQ(values, QList<bool>{true});
    drainMainLoop();
    EXPECT_EQ(values, (QList<bool>{true, true, false}));

    // A later subscriber starts from the value last written; a dropped one hears no more.
    first.reset();
    values.clear();
    const auto second = record();
    startAtLogin.setEnabled(true);
    drainMainLoop();
    EXPECT_EQ(values, (QList<bool>{false, true}));
}

TEST_F(StartAtLoginEntry, ObjectFacesAnnounceBeforeTheWriteAndReadBackAfter)
{
    QStringList events;
    QObject::connect(&startAtLogin.observable(), &StartAtLoginObservable::objectWillChange, [&] {
        events << QString("will change, on=%1").arg(startAtLogin.isEnabled());
    });
    QObject::connect(&startAtLogin.kvo(), &StartAtLoginKvo::isEnabledWillChange,
                     [&] { events << "kvo will change"; });
    QObject::connect(&startAtLogin.kvo(), &StartAtLoginKvo::isEnabledChanged,
                     [&](bool on) { events << QString("changed, on=%1").arg(on); });
    ASSERT_TRUE(startAtLogin.kvo().setProperty("isEnabled", true));
    ASSERT_TRUE(startAtLogin.observable().setProperty("isEnabled", false));
    EXPECT_EQ(events, (QStringList{"will change, on=0", "kvo will change", "changed, on=1",
                                   "will change, on=1", "kvo will change", "changed, on=0"}));
    EXPECT_FALSE(startAtLogin.observable().property("isEnabled").toBool());
}

TEST_F(StartAtLoginEntry, OlderHelperEntryIsMigratedOnceAndQuietly)
{
    const QString helper = AppId + "-StartAtLoginHelper";
    struct Case
    {
        const char* name;
        bool flagSet;
        QByteArray helperEntry;
        bool enabledAfter;
        bool helperLeft;
    };
    const Case cases[] = {
        {"active helper: moves to the program's own entry", false, ActiveEntry, true, false},
        {"inactive helper: only removed", false, ActiveEntry + "Hidden=true\n", false, false},
        {"flag already set: nothing happens", true, ActiveEntry, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        startAtLogin.setEnabled(false);
        home.writeEntry(helper, c.helperEntry);
        InMemoryDefaultsStore defaults;
        if (c.flagSet)
            defaults.setBoolean(StartAtLogin::HasMigratedKey, true);
        const auto token = record();
        drainMainLoop();
        values.clear();
        startAtLogin.migrateIfNeeded(defaults);
        startAtLogin.migrateIfNeeded(defaults);
        drainMainLoop();
        EXPECT_EQ(startAtLogin.isEnabled(), c.enabledAfter);
        EXPECT_EQ(QFileInfo::exists(home.entryPath(helper)), c.helperLeft);
        EXPECT_EQ(defaults.boolean(StartAtLogin::HasMigratedKey), true);
        EXPECT_EQ(defaults.writeCount(), 1);
        EXPECT_TRUE(values.isEmpty());
    }
}
