// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "settings/keep_or_go_back.h"
#include "settings/settings_state_fixture.h"
#include "views/keep_or_go_back_bar.h"

#include <QComboBox>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QVBoxLayout>

#include <functional>

using namespace veloquill;
using namespace veloquill::test;

using KeepOrGoBackBarTest = SettingsStateTest;

// The question names the change; each answer is one key from a
// focused slider, and closing the window goes back. (The end-to-end accessibility test hears it
// as an alert, answers it with Alt+G and Alt+K and sees Enter answer nothing; the settings
// window's test answers it with Escape.)
TEST_F(KeepOrGoBackBarTest, IsAnAlertAnsweredByOneKeyFromAnywhereAndClosingGoesBack)
{
    remember(HeadMouse, {0.5, 1.0, false});
    connect("Head Mouse", 4660, 171);
    build().ensureDeviceSelectionAndLoadSettings();
    KeepOrGoBack model(*state, {15000, 3, 50});
    QWidget window;
    auto* slider = new QSlider(Qt::Horizontal);
    auto* bar = new KeepOrGoBackBar(model, *state);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(bar);
    layout->addWidget(slider);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    slider->setFocus();
    EXPECT_FALSE(bar->isVisible());

    state->setCurrentPointerSpeed(0.1);
    EXPECT_TRUE(bar->isVisible());

    // Keep stores 0.1; each answer after it goes back there from 0.5.
    const std::vector<std::function<void()>> answers = {
        [&] { QTest::keyClick(slider, Qt::Key_K, Qt::AltModifier); },
        [&] { window.close(); },
    };
    for (const auto& answer : answers) {
        if (!model.isAsking())
            state->setCurrentPointerSpeed(0.5);
        ASSERT_TRUE(model.isAsking());
        answer();
        EXPECT_FALSE(model.isAsking());
        EXPECT_EQ(stored()[HeadMouse].pointerSpeed, 0.1);
    }
    waitForReadBacks();
}

// Its length is a stored preference of 15 to 60 s.
TEST_F(KeepOrGoBackBarTest, MoreTimeOrTouchingTheQuestionRestartsTheCountdownOfTheStoredLength)
{
    remember(HeadMouse, {0.5, 1.0, false});
    connect("Head Mouse", 4660, 171);
    build().ensureDeviceSelectionAndLoadSettings();
    KeepOrGoBack model(*state, {15000, 0, 20});
    KeepOrGoBackBar bar(model, *state);
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    QComboBox* answerTime = bar.answerTime();
    EXPECT_EQ(answerTime->currentText(), "15 s");
    answerTime->setFocus();
    QTest::keyClick(answerTime, Qt::Key_End);
    EXPECT_EQ(store->string(State::AnswerSecondsKey), "60");
    EXPECT_EQ(answerTime->accessibleName(), "Time to answer, 60 s");

    state->setCurrentPointerSpeed(0.1);
    EXPECT_EQ(model.secondsLeft(), 60);
    const std::vector<std::function<void()>> touches = {
        [&] { QTest::mouseClick(bar.moreTimeButton(), Qt::LeftButton); },
        [&] { QTest::keyClick(&bar, Qt::Key_M, Qt::AltModifier); },
        [&] {
            QEnterEvent enter({}, {}, {});
            QApplication::sendEvent(bar.keepButton(), &enter);
        },
        [&] { bar.goBackButton()->setFocus(); },
    };
    for (const auto& touch : touches) {
        ASSERT_TRUE(runMainLoopUntil([&] { return model.secondsLeft() < 59; }));
        touch();
        EXPECT_EQ(model.secondsLeft(), 60);
        answerTime->setFocus();
    }
    model.goBack();
    waitForReadBacks();
}
