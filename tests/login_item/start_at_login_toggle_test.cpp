#include "temporary_config_home.h"

#include "login_item/start_at_login.h"
#include "login_item/start_at_login_toggle.h"
#include "support/main_loop.h"

#include <QCheckBox>
#include <QLabel>

#include <gtest/gtest.h>

using namespace veloquill;
using namespace veloquill::test;

TEST(StartAtLoginToggle, LabelComesFromTheConstructorChosen)
{
    TemporaryConfigHome home;
    StartAtLogin service(VELOQUILL_APP_ID, "/usr/bin/veloquill");
    QWidget* const noParent = nullptr;

    int built = 0;
    const auto makeLabel = [&]() -> QWidget* {
        ++built;
        return new QLabel("Launch with the session");
    };
    const StartAtLoginToggle custom(makeLabel, noParent, &service);
    EXPECT_EQ(built, 1);
    EXPECT_EQ(custom.label()->parentWidget(), &custom);
    EXPECT_EQ(custom.switchControl()->accessibleName(), "Launch with the session");

    EXPECT_EQ(StartAtLoginToggle("Open at login", noParent, &service).switchControl()->text(),
              "Open at login");
    EXPECT_EQ(StartAtLoginToggle(QString("100%"), noParent, &service).switchControl()->text(),
              "100%");
    EXPECT_EQ(StartAtLoginToggle(noParent, &service).switchControl()->text(), "Start at login");
}

TEST(StartAtLoginToggle, SwitchWritesAndThenShowsWhatTheFileSystemHolds)
{
    TemporaryConfigHome home;
    home.writeEntry(VELOQUILL_APP_ID, "[Desktop Entry]\nType=Application\nExec=veloquill\n");
    StartAtLogin service(VELOQUILL_APP_ID, "/usr/bin/veloquill");
    const StartAtLoginToggle toggle(nullptr, &service);
    QCheckBox* box = toggle.switchControl();
    EXPECT_TRUE(box->isChecked());

    box->click();
    EXPECT_FALSE(service.isEnabled());
    service.setEnabled(true);
    drainMainLoop();
    EXPECT_TRUE(box->isChecked());

    // A refused switch-on puts the mark back.
    service.setEnabled(false);
    home.blockAutostartFolder();
    drainMainLoop();
    box->click();
    EXPECT_TRUE(box->isChecked());
    drainMainLoop();
    EXPECT_FALSE(box->isChecked());
}
