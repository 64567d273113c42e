#include "critical_log_capture.h"
#include "desktop_entry_reader.h"
#include "temporary_config_home.h"

#include "login_item/start_at_login.h"
#include "login_item/start_at_login_kvo.h"
#include "login_item/start_at_login_observable.h"
#include "support/main_loop.h"
#include "support/qt_printers.h"

#include <QDir>
#include <QFileInfo>

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
    std::optional<QStringList> exec() const
    {
        const auto value = desktopEntryValue(entryPath(), QStringLiteral("Exec"));
        return value ? execCommandLine(*value) : std::nullopt;
    }
    // Every value the stream delivers from now on.
    QList<bool>& record()
    {
        m_tokens.push_back(startAtLogin.subscribe([this](bool value) { values.append(value); }));
        return values;
    }

    TemporaryConfigHome home;
    StartAtLogin startAtLogin{AppId, ProgramPath};
    QList<bool> values;
    CriticalLogCapture log;

private:
    std::vector<std::shared_ptr<ObservationToken>> m_tokens;
};
} // namespace

TEST_F(StartAtLoginEntry, SwitchingOnWritesAnEntryThatStartsThisProgramAndOffRemovesIt)
{
    // A fresh account has no autostart folder yet: switching on makes it.
    ASSERT_FALSE(QFileInfo::exists(home.autostartPath()));
    EXPECT_FALSE(startAtLogin.isEnabled());
    startAtLogin.setEnabled(true);
    EXPECT_TRUE(startAtLogin.isEnabled());
    EXPECT_EQ(exec(), QStringList{ProgramPath});
    EXPECT_EQ(desktopEntryValue(entryPath(), "Type"), "Application");
    // Written beside the entry and renamed over it: nothing else is left in the folder.
    EXPECT_EQ(QDir(home.autostartPath()).entryList(QDir::Files | QDir::Hidden),
              QStringList{AppId + ".desktop"});

    startAtLogin.setEnabled(false);
    EXPECT_FALSE(QFileInfo::exists(entryPath()));
    // Switching off what is already off is no failure.
    startAtLogin.setEnabled(false);
    EXPECT_FALSE(startAtLogin.isEnabled());
    EXPECT_EQ(log.lines(), QStringList());
}

TEST_F(StartAtLoginEntry, SwitchingOnWhileOnRewritesTheEntryForWhereTheProgramIsNow)
{
    home.writeEntry(AppId, ActiveEntry);
    record();
    startAtLogin.setEnabled(true);
    EXPECT_EQ(exec(), QStringList{ProgramPath});
    drainMainLoop();
    EXPECT_EQ(values, (QList<bool>{true, true}));
}

TEST_F(StartAtLoginEntry, EntriesTheDesktopSwitchedOffReadAsOff)
{
    home.writeEntry(AppId, ActiveEntry + "Hidden=true\n");
    EXPECT_FALSE(startAtLogin.isEnabled());
    home.writeEntry(AppId, ActiveEntry + "X-GNOME-Autostart-enabled = false\n");
    EXPECT_FALSE(startAtLogin.isEnabled());
    // Only the entry's own group counts.
    home.writeEntry(AppId, ActiveEntry + "Hidden=false\n[Desktop Action Quit]\nHidden=true\n");
    EXPECT_TRUE(startAtLogin.isEnabled());

    // Switching on replaces a hidden entry with one that starts.
    home.writeEntry(AppId, ActiveEntry + "Hidden=true\n");
    startAtLogin.setEnabled(true);
    EXPECT_TRUE(startAtLogin.isEnabled());
}

TEST_F(StartAtLoginEntry, AnUnwritableFolderIsLoggedAndEveryFaceShowsTheRealState)
{
    home.blockAutostartFolder();
    record();
    QList<bool> notified;
    QObject::connect(&startAtLogin.kvo(), &StartAtLoginKvo::isEnabledChanged,
                     [&](bool enabled) { notified.append(enabled); });

    startAtLogin.setEnabled(true);
    drainMainLoop();
    EXPECT_FALSE(startAtLogin.isEnabled());
    EXPECT_EQ(values, (QList<bool>{false, false}));
    EXPECT_EQ(notified, QList<bool>{false});
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines()[0].startsWith(AppId + ".main: Failed to enable launch at login: " +
                                          "cannot create the folder " + home.autostartPath()))
        << log.lines()[0].toStdString();
}

TEST_F(StartAtLoginEntry, AnEntryThatCannotBeReplacedOrRemovedIsLogged)
{
    // A folder in the entry's place: nothing can be renamed over it or unlink it, not even root.
    QDir().mkpath(entryPath() + "/inside");
    record();
    startAtLogin.setEnabled(true);
    startAtLogin.setEnabled(false);
    drainMainLoop();
    EXPECT_EQ(values, (QList<bool>{false, false, false}));
    ASSERT_EQ(log.lines().size(), 2);
    EXPECT_TRUE(log.lines()[0].contains("Failed to enable launch at login: cannot write " +
                                        entryPath() + ": "));
    EXPECT_TRUE(log.lines()[1].contains("Failed to disable launch at login: cannot remove " +
                                        entryPath() + ": "));
}

TEST_F(StartAtLoginEntry, StreamStartsWithTheCurrentStateAndThenFollowsEveryWrite)
{
    home.writeEntry(AppId, ActiveEntry);
    auto first = startAtLogin.subscribe([this](bool value) { values.append(value); });
    // Values come on the main loop, never inside the call.
    EXPECT_TRUE(values.isEmpty());
    drainMainLoop();
    EXPECT_EQ(values, QList<bool>{true});
    startAtLogin.setEnabled(false);
    EXPECT_EQ(values, QList<bool>{true});
    drainMainLoop();
    EXPECT_EQ(values, (QList<bool>{true, false}));

    // A later subscriber starts from the value last written; a dropped one hears no more.
    first.reset();
    values.clear();
    record();
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
    QObject::connect(&startAtLogin.kvo(), &StartAtLoginKvo::isEnabledChanged,
                     [&](bool on) { events << QString("changed, on=%1").arg(on); });
    ASSERT_TRUE(startAtLogin.kvo().setProperty("isEnabled", true));
    EXPECT_EQ(events, (QStringList{"will change, on=0", "changed, on=1"}));
}
