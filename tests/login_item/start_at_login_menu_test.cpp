#include "critical_log_capture.h"
#include "temporary_config_home.h"

#include "login_item/start_at_login.h"
#include "shell/start_at_login_menu_binding.h"
#include "shell/status_bar_controller.h"
#include "support/main_loop.h"

#include <QAction>

#include <gtest/gtest.h>

using namespace veloquill;
using namespace veloquill::test;

TEST(StartAtLoginMenu, CheckMarkShowsTheStateOnceItArrivesAndAfterEachChoice)
{
    const QString appId = QStringLiteral(VELOQUILL_APP_ID);
    TemporaryConfigHome home;
    home.writeEntry(appId, "[Desktop Entry]\nType=Application\nExec=veloquill\n");
    StartAtLogin startAtLogin(appId, "/usr/bin/veloquill");
    StatusBarController controller({[] {}, [] {}, [] {}});
    controller.setupStatusItem();
    bindStartAtLoginMenu(controller, startAtLogin);
    QAction* item = controller.startAtLoginAction();
    EXPECT_FALSE(item->isChecked());
    drainMainLoop();
    EXPECT_TRUE(item->isChecked());

    // Chosen while checked, it switches off; the mark goes when the value arrives.
    item->trigger();
    EXPECT_FALSE(startAtLogin.isEnabled());
    EXPECT_TRUE(item->isChecked());
    drainMainLoop();
    EXPECT_FALSE(item->isChecked());

    item->trigger();
    drainMainLoop();
    EXPECT_TRUE(startAtLogin.isEnabled());
    EXPECT_TRUE(item->isChecked());

    // A refused change leaves the mark showing the state, not the wish.
    startAtLogin.setEnabled(false);
    home.blockAutostartFolder();
    CriticalLogCapture log;
    item->trigger();
    drainMainLoop();
    EXPECT_FALSE(item->isChecked());
    EXPECT_EQ(log.lines().size(), 1);
}
