// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "temporary_config_home.h"

#include "support/blocking_paths.h"

#include "login_item/start_at_login.h"
#include "support/qt_printers.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace veloquill;
using namespace veloquill::test;

namespace {
const QString AppId = QStringLiteral(VELOQUILL_APP_ID);
const QString ProgramPath = QStringLiteral("/opt/Veloquill/bin/veloquill");
const QByteArray ActiveEntry = "[Desktop Entry]\nType=Application\nExec=/old/veloquill\n";

class StartAtLoginEntry : public ::testing::Test
{
protected:
    QString entryPath() const { return home.entryPath(AppId); }
    QByteArray entryText() const
    {
        QFile file(entryPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    TemporaryConfigHome home;
    StartAtLogin startAtLogin{AppId, ProgramPath};
    CriticalLogCapture log;
};
} // namespace

TEST_F(StartAtLoginEntry, SwitchingOnWritesAnEntryThatStartsExactlyThisProgramAndOffRemovesIt)
{
    // A fresh account has no autostart folder yet: switching on makes it. Exec is quoted for
    // the desktop entry format (\" \` \$ \\ inside double quotes, % doubled) and then escaped
    // as a string value (\\ \n \t \r).
    ASSERT_FALSE(QFileInfo::exists(home.autostartPath()));
    StartAtLogin(AppId, "/tmp/Velo Quill/o'brien \"q\"/$HOME `id` 100% back\\slash/"
                        "new\nline\ttab\rcr/;&|<>*?#~()=/zoë/速度/veloquill")
        .setEnabled(true);
    EXPECT_EQ(entryText(), R"([Desktop Entry]
Type=Application
Name=Veloquill
Exec="/tmp/Velo Quill/o'brien \\"q\\"/\\$HOME \\`id\\` 100%% back\\\\slash/new\nline\ttab\rcr/;&|<>*?#~()=/zoë/速度/veloquill"
Terminal=false
X-GNOME-Autostart-enabled=true
)");
    startAtLogin.setEnabled(true);
    EXPECT_TRUE(startAtLogin.isEnabled());
    // Written beside the entry and renamed over it: nothing else is left in the folder.
    EXPECT_EQ(QDir(home.autostartPath()).entryList(QDir::Files | QDir::Hidden),
              QStringList{AppId + ".desktop"});

    startAtLogin.setEnabled(false);
    EXPECT_FALSE(QFileInfo::exists(entryPath()));
    startAtLogin.setEnabled(false); // off while off is no failure
    EXPECT_FALSE(startAtLogin.isEnabled());
    EXPECT_EQ(log.lines(), QStringList());
}

TEST_F(StartAtLoginEntry, EntryNamesTheProgramBareOnlyWhenThePathRunsThisVeryProgram)
{
    // bin/veloquill is the program; linked/ reaches it through a folder link; other/ holds
    // another copy.
    const QTemporaryDir dir;
    const QString bin = dir.path() + "/bin", linked = dir.path() + "/linked";
    const QString other = dir.path() + "/other", program = bin + "/veloquill";
    for (const QString& folder : {bin, other}) {
        QDir().mkpath(folder);
        QFile file(folder + "/veloquill");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    }
    ASSERT_TRUE(QFile::link(bin, linked));
    const QString missing = dir.path() + "/veloquill"; // neither it nor a match exists
    const QByteArray pathBefore = qgetenv("PATH");
    const QStringList table[] = {
        // PATH, the running program, what Exec says
        {bin, program, "veloquill"},
        {linked, program, "veloquill"},
        {bin, linked + "/veloquill", "veloquill"},
        {other + ":" + bin, program, '"' + program + '"'}, // the PATH runs the other copy
        {dir.path(), program, '"' + program + '"'},
        {dir.path(), missing, '"' + missing + '"'},
    };
    for (const QStringList& row : table) {
        SCOPED_TRACE(row.join(' ').toStdString());
        qputenv("PATH", QFile::encodeName(row[0]));
        StartAtLogin(AppId, row[1]).setEnabled(true);
        EXPECT_TRUE(entryText().contains("\nExec=" + row[2].toUtf8() + "\n")) << entryText().data();
    }
    qputenv("PATH", pathBefore);
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
TEST_F(StartAtLoginEntry, FailuresAreLogged)
{
    home.blockAutostartFolder();
    startAtLogin.setEnabled(true);

    // A folder in the entry's place: nothing can be renamed over it or unlink it, not even root.
    QFile(home.autostartPath()).remove();
    QDir().mkpath(entryPath() + "/inside");
    startAtLogin.setEnabled(true);
    startAtLogin.setEnabled(false);
    const QString category = AppId + ".main: ";
    EXPECT_EQ(
        log.lines(),
        QStringList({category + "Failed to enable launch at login: cannot create the folder " +
                         home.autostartPath() + ": Not a directory",
                     category + "Failed to enable launch at login: " + entryPath() +
                         " is not a regular file",
                     category + "Failed to disable launch at login: cannot remove " + entryPath() +
                         ": Is a directory"}));
}

// No regular file reads as off, is never opened in a way that blocks, and gets one line.
TEST_F(StartAtLoginEntry, EntryThatIsNoRegularFileIsLeftAloneAndARewrittenOneKeepsItsOwner)
{
    QDir().mkpath(home.autostartPath());
    for (const BlockingPath kind : {BlockingPath::Fifo, BlockingPath::LinkToFifo}) {
        ASSERT_TRUE(makeBlockingPath(kind, entryPath()));
        const QString before = describePath(entryPath());
        HangGuard guard;
        log.lines().clear();
        EXPECT_FALSE(startAtLogin.isEnabled());
        startAtLogin.setEnabled(true);
        EXPECT_FALSE(startAtLogin.isEnabled());
        EXPECT_EQ(describePath(entryPath()), before);
        EXPECT_EQ(log.lines().size(), 1);
        QFile::remove(entryPath());
    }

    // Kept where a dotfile manager links it from: the link stays, the file it leads to changes.
    const QString linked = home.autostartPath() + "/dotfiles-entry";
    home.writeEntry(AppId, ActiveEntry);
    ASSERT_TRUE(QFile::rename(entryPath(), linked) && QFile::link(linked, entryPath()));
    (void)!::chown(QFile::encodeName(linked), 65534, 65534);
    const auto owner = [&] {
        const QFileInfo file(entryPath());
        return std::pair(file.ownerId(), file.groupId());
    };
    const auto before = owner();
    startAtLogin.setEnabled(true);
    EXPECT_NE(entryText(), ActiveEntry);
    EXPECT_EQ(owner(), before);
    EXPECT_TRUE(QFileInfo(entryPath()).isSymLink());
}
