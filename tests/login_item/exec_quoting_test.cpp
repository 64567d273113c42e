#include "desktop_entry_reader.h"
#include "temporary_config_home.h"

#include "login_item/start_at_login.h"
#include "support/qt_printers.h"

#include <gtest/gtest.h>

using namespace veloquill;
using namespace veloquill::test;

TEST(ExecQuoting, HostileProgramPathsStartExactlyThatProgram)
{
    const QString paths[] = {
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
    TemporaryConfigHome home;
    for (const QString& path : paths) {
        StartAtLogin(VELOQUILL_APP_ID, path).setEnabled(true);
        const auto value = desktopEntryValue(home.entryPath(VELOQUILL_APP_ID), "Exec");
        ASSERT_TRUE(value) << path.toStdString();
        EXPECT_EQ(execCommandLine(*value), QStringList{path}) << value->toStdString();
    }
}

TEST(ExecQuoting, ReaderRefusesWhatTheFormatForbids)
{
    // The round trips above are only worth something if the reader is strict.
    EXPECT_EQ(execCommandLine("/opt/a b"), (QStringList{"/opt/a", "b"}));
    EXPECT_EQ(execCommandLine("\"/opt/a\\\\\\\\b%%\""), QStringList{"/opt/a\\b%"});
    for (const char* refused : {"/opt/$HOME", "\"/opt/a\\\\b\"", "\"/opt/1%\"", "\"/opt/open"})
        EXPECT_EQ(execCommandLine(refused), std::nullopt) << refused;
}
