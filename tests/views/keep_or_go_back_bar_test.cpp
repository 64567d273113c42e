// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "settings/keep_or_go_back.h"
#include "settings/settings_state_fixture.h"
#include "views/keep_or_go_back_bar.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace veloquill;
using namespace veloquill::test;

using KeepOrGoBackBarTest = SettingsStateTest;

TEST_F(KeepOrGoBackBarTest, ShowsTheCountdownWhileAskingAndItsButtonsEscapeAndClosingDecide)
{
    remember(HeadMouse, {0.5, 1.0, false});
    connect("Head Mouse", 4660, 171);
    build().ensureDeviceSelectionAndLoadSettings();
    KeepOrGoBack model(*state, {15000, 3, 50});
    QWidget window;
    auto* bar = new KeepOrGoBackBar(model, &window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_FALSE(bar->isVisible());

    state->setCurrentPointerSpeed(0.1);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->message()->text(), "Keep these settings? Going back in 3 s");
    EXPECT_TRUE(runMainLoopUntil([&] { return bar->message()->text().endsWith(" 2 s"); }));
    QTest::mouseClick(bar->keepButton(), Qt::LeftButton);
    EXPECT_FALSE(bar->isVisible());

    for (bool escape : {false, true}) {
        state->setCurrentPointerSpeed(0.5);
        EXPECT_TRUE(bar->isVisible());
        if (escape)
            QTest::keyClick(&window, Qt::Key_Escape);
        else
            QTest::mouseClick(bar->goBackButton(), Qt::LeftButton);
        EXPECT_FALSE(bar->isVisible());
        EXPECT_EQ(stored()[HeadMouse].pointerSpeed, 0.1);
    }
    state->setCurrentPointerSpeed(0.5);
    window.close();
    EXPECT_EQ(stored()[HeadMouse].pointerSpeed, 0.1);
    waitForReadBacks();
}
