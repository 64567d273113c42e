// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "temporary_config_home.h"

#include "login_item/start_at_login.h"
#include "login_item/start_at_login_toggle.h"
#include "shell/status_bar_controller.h"
#include "support/main_loop.h"
#include "support/qt_printers.h"

#include <QAction>
#include <QCheckBox>

#include <gtest/gtest.h>

using namespace veloquill;
using namespace veloquill::test;

namespace {
const QString AppId = QStringLiteral(VELOQUILL_APP_ID);

class StartAtLoginControls : public ::testing::Test
{
protected:
    StartAtLoginControls() { home.writeEntry(AppId, "[Desktop Entry]\nExec=veloquill\n"); }

    // Starts switched on. After each choice, once the main loop has run, the control shows what
    // the file system holds, also when switching on is refused.
    void expectShowsTheStateAfterEachChoice(const std::function<void()>& choose,
                                            const std::function<bool()>& shown)
    {
        EXPECT_TRUE(shown());
        for (const bool expected : {false, true}) {
            choose();
            EXPECT_EQ(service.isEnabled(), expected);
            drainMainLoop();
            EXPECT_EQ(shown(), expected);
        }
        service.setEnabled(false);
        home.blockAutostartFolder();
        drainMainLoop();
        CriticalLogCapture log;
        choose();
        drainMainLoop();
        EXPECT_FALSE(shown());
        EXPECT_EQ(log.lines().size(), 1);
    }

    TemporaryConfigHome home;
    StartAtLogin service{AppId, "/usr/bin/veloquill"};
};
} // namespace

TEST_F(StartAtLoginControls, MenuCheckMarkShowsTheStateOnceItArrivesAndAfterEachChoice)
{
    StatusBarController controller({[] {}, [] {}, [] {}});
    controller.setupStatusItem();
    bindStartAtLoginMenu(controller, service);
    QAction* item = controller.startAtLoginAction();
    EXPECT_FALSE(item->isChecked()); // until the stream's first value arrives
    drainMainLoop();
    expectShowsTheStateAfterEachChoice([&] { item->trigger(); }, [&] { return item->isChecked(); });
}

TEST_F(StartAtLoginControls, ToggleShowsTheStateAfterEachChoice)
{
    const StartAtLoginToggle toggle(nullptr, &service);
    auto* box = toggle.findChild<QCheckBox*>();
    expectShowsTheStateAfterEachChoice([&] { box->click(); }, [&] { return box->isChecked(); });
}
