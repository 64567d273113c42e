#include "temporary_config_home.h"

#include "login_item/start_at_login.h"
#include "login_item/start_at_login_kvo.h"
#include "settings/in_memory_defaults_store.h"
#include "support/main_loop.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace veloquill;
using namespace veloquill::test;

namespace {
const QString AppId = QStringLiteral(VELOQUILL_APP_ID);
const QString HelperId = AppId + "-StartAtLoginHelper";
const QByteArray ActiveHelper = "[Desktop Entry]\nType=Application\nExec=veloquill-helper\n";

class Migration : public ::testing::Test
{
protected:
    bool helperEntryExists() const { return QFileInfo::exists(home.entryPath(HelperId)); }

    TemporaryConfigHome home;
    InMemoryDefaultsStore defaults;
    StartAtLogin startAtLogin{AppId, "/usr/bin/veloquill"};
};
} // namespace

TEST_F(Migration, AnActiveHelperEntryMovesToTheProgramsOwnEntryOnceAndQuietly)
{
    home.writeEntry(HelperId, ActiveHelper);
    int announcements = 0;
    const auto token = startAtLogin.subscribe([&](bool) { ++announcements; });
    drainMainLoop();
    QObject::connect(&startAtLogin.kvo(), &StartAtLoginKvo::isEnabledWillChange,
                     [&] { ++announcements; });

    startAtLogin.migrateIfNeeded(defaults);
    drainMainLoop();
    EXPECT_EQ(defaults.boolean(StartAtLogin::HasMigratedKey), true);
    EXPECT_TRUE(startAtLogin.isEnabled());
    EXPECT_FALSE(helperEntryExists());
    EXPECT_EQ(announcements, 1); // the stream's first value only

    // The second run finds the flag and leaves everything alone.
    startAtLogin.setEnabled(false);
    home.writeEntry(HelperId, ActiveHelper);
    startAtLogin.migrateIfNeeded(defaults);
    EXPECT_FALSE(startAtLogin.isEnabled());
    EXPECT_TRUE(helperEntryExists());
    EXPECT_EQ(defaults.writeCount(), 1);
}

TEST_F(Migration, AnInactiveHelperEntryIsOnlyRemoved)
{
    home.writeEntry(HelperId, ActiveHelper + "Hidden=true\n");
    startAtLogin.migrateIfNeeded(defaults);
    EXPECT_EQ(defaults.boolean(StartAtLogin::HasMigratedKey), true);
    EXPECT_FALSE(startAtLogin.isEnabled());
    EXPECT_FALSE(helperEntryExists());
}

TEST_F(Migration, NothingHappensWhenTheFlagIsAlreadySet)
{
    defaults.setBoolean(StartAtLogin::HasMigratedKey, true);
    home.writeEntry(HelperId, ActiveHelper);
    startAtLogin.migrateIfNeeded(defaults);
    EXPECT_FALSE(startAtLogin.isEnabled());
    EXPECT_TRUE(helperEntryExists());
    EXPECT_EQ(defaults.writeCount(), 1);
}
