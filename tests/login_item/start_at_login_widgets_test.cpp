#include "temporary_config_home.h"

#include "login_item/start_at_login.h"
#include "login_item/start_at_login_toggle.h"
#include "shell/start_at_login_menu_binding.h"
#include "shell/status_bar_controller.h"
#include "support/main_loop.h"
#include "support/qt_printers.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>

#include <gtest/gtest.h>

using namespace veloquill;
using namespace veloquill::test;

namespace {
const QString AppId = QStringLiteral(VELOQUILL_APP_ID);

// The state written to disk, then a refused switch-on: after each step, once the main loop
// has run, the control shows what the file system holds.
void expectShowsTheStateAfterEachChoice(TemporaryConfigHome& home, StartAtLogin& startAtLogin,
                                        const std::function<void()>& choose,
                                        const std::function<bool()>& shown)
{
    EXPECT_TRUE(shown());
    choose();
    EXPECT_FALSE(startAtLogin.isEnabled());
    drainMainLoop();
    EXPECT_FALSE(shown());
    choose();
    drainMainLoop();
    EXPECT_TRUE(startAtLogin.isEnabled());
    EXPECT_TRUE(shown());

    startAtLogin.setEnabled(false);
    home.blockAutostartFolder();
    drainMainLoop();
    CriticalLogCapture log;
    choose();
    drainMainLoop();
    EXPECT_FALSE(shown());
    EXPECT_EQ(log.lines().size(), 1);
}
} // namespace

TEST(StartAtLoginMenu, CheckMarkShowsTheStateOnceItArrivesAndAfterEachChoice)
{
    TemporaryConfigHome home;
    home.writeEntry(AppId, "[Desktop Entry]\nType=Application\nExec=veloquill\n");
    StartAtLogin startAtLogin(AppId, "/usr/bin/veloquill");
    StatusBarController controller({[] {}, [] {}, [] {}});
    controller.setupStatusItem();
    bindStartAtLoginMenu(controller, startAtLogin);
    QAction* item = controller.startAtLoginAction();
    EXPECT_FALSE(item->isChecked()); // until the stream's first value arrives
    drainMainLoop();
    expectShowsTheStateAfterEachChoice(
        home, startAtLogin, [&] { item->trigger(); }, [&] { return item->isChecked(); });
}

TEST(StartAtLoginToggle, SwitchShowsTheStateAfterEachChoiceAndItsLabelComesFromTheConstructor)
{
    TemporaryConfigHome home;
    home.writeEntry(AppId, "[Desktop Entry]\nType=Application\nExec=veloquill\n");
    StartAtLogin service(AppId, "/usr/bin/veloquill");
    const StartAtLoginToggle toggle(nullptr, &service);
    auto* box = toggle.findChild<QCheckBox*>();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text(), "Start at login");
    expectShowsTheStateAfterEachChoice(
        home, service, [&] { box->click(); }, [&] { return box->isChecked(); });

    QWidget* const noParent = nullptr;
    int built = 0;
    const StartAtLoginToggle custom(
        [&]() -> QWidget* {
            ++built;
            return new QLabel("Launch with the session");
        },
        noParent, &service);
    EXPECT_EQ(built, 1);
    EXPECT_EQ(custom.findChild<QLabel*>()->buddy(), custom.findChild<QCheckBox*>());
    EXPECT_EQ(custom.findChild<QCheckBox*>()->accessibleName(), "Launch with the session");
    EXPECT_EQ(
        StartAtLoginToggle("Open at login", noParent, &service).findChild<QCheckBox*>()->text(),
        "Open at login");
    EXPECT_EQ(
        StartAtLoginToggle(QString("100%"), noParent, &service).findChild<QCheckBox*>()->text(),
        "100%");
}
