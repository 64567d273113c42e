// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "settings_state_fixture.h"

#include "settings/keep_or_go_back.h"

#include <functional>

using namespace veloquill;
using namespace veloquill::test;

namespace {
const QString Trackball = QStringLiteral("2-2-Trackball-N/A");

using Change = std::function<void(State&)>;
Change to(std::vector<double> speeds)
{
    return [speeds](State& s) {
        for (double speed : speeds)
            s.setCurrentPointerSpeed(speed);
    };
}

// The Head Mouse's stored values loaded at start; settling takes 50 ms, a second 20 ms.
class KeepOrGoBackTest : public SettingsStateTest
{
protected:
    void start(DeviceSpecificSettings headMouse, DeviceSettingsTable others = {})
    {
        others.insert(HeadMouse, headMouse);
        remember(others, HeadMouse);
        mouse = connect("Head Mouse", 4660, 171);
        build();
        model = std::make_unique<KeepOrGoBack>(*state, KeepOrGoBack::Durations{50, 2, 20});
        state->ensureDeviceSelectionAndLoadSettings();
        drainMainLoop();
    }
    std::shared_ptr<sim::SimulatedDevice> mouse;
    std::unique_ptr<KeepOrGoBack> model;
};
} // namespace

// Changes that ask are undone on the device and in its record when time runs out.
TEST_F(KeepOrGoBackTest, OnlyChangesBeyondHalfOrTwiceTheSettledSlowGainAskAndAreUndone)
{
    // name, stored speed, change, asks, speed once the countdown is over
    const std::vector<std::tuple<const char*, double, Change, bool, double>> cases = {
        {"loaded at start", 0.05, to({}), false, 0.05},
        {"a little faster", 0.5, to({0.6}), false, 0.6},
        {"fastest, under twice", 0.5, to({1.0}), false, 1.0},
        {"much slower", 0.5, to({0.1}), true, 0.5},
        {"much faster", 0.2, to({0.9}), true, 0.2},
        {"small steps adding up", 0.5, to({0.4, 0.3, 0.2}), true, 0.5},
        {"there and back", 0.5, to({0.1, 0.5}), false, 0.5},
        {"acceleration", 0.5, [](State& s) { s.setCurrentPointerAcceleration(20); }, false, 0.5},
        {"revert to the defaults", 0.05, [](State& s) { s.revertPointerSpeed(); }, true, 0.05},
        {"precision mode on and off", 0.5,
         [](State& s) {
             s.setPrecisionMode(true);
             s.setPrecisionMode(false);
         },
         false, 0.5},
    };
    for (const auto& [name, from, change, asks, after] : cases) {
        SCOPED_TRACE(name);
        start({from, 1.0, false});
        change(*state);
        drainMainLoop();
        EXPECT_EQ(model->isAsking(), asks);
        EXPECT_TRUE(runMainLoopUntil([&] { return !model->isAsking(); }));
        EXPECT_EQ(stored()[HeadMouse].pointerSpeed, after);
        const auto resolutions = written(*mouse, Resolution);
        EXPECT_EQ(resolutions.back() == resolutions.front(), after == from);
        waitForReadBacks();
        model.reset();
        state.reset();
        unplug(mouse);
    }
}

TEST_F(KeepOrGoBackTest, ValuesStandingForTheSettleTimeAreTheMeasure)
{
    start({0.5, 1.0, false});
    state->setCurrentPointerSpeed(0.3);
    EXPECT_TRUE(runMainLoopUntil([&] { return model->settledValues().speed == 0.3; }));
    state->setCurrentPointerSpeed(0.2); // less than half of 0.5's gain, not of 0.3's
    EXPECT_FALSE(model->isAsking());
}

TEST_F(KeepOrGoBackTest, LeavingADeviceWhileAskingGoesBackForItAndSettlesTheNextOnesValues)
{
    connect("Trackball", 2, 2);
    start({0.5, 1.0, false}, {{Trackball, {0.05, 1.0, false}}});
    state->setCurrentPointerSpeed(0.1);
    state->setSelectedDeviceID(Trackball);
    drainMainLoop();
    EXPECT_FALSE(model->isAsking());
    EXPECT_EQ(stored()[HeadMouse].pointerSpeed, 0.5);
    EXPECT_EQ(written(*mouse, Resolution).back(), 5073754); // speed 0.5
    EXPECT_EQ(model->settledValues().speed, 0.05);
}

// Precision mode switched on, or its factor changed, is judged by the slowed speed.
TEST_F(KeepOrGoBackTest, WhileAskingTheFileKeepsTheSettledRecordAndOnlyKeepStoresTheChange)
{
    // name, change, answer with Keep, stored speed and factor after, precision after
    const std::vector<std::tuple<const char*, Change, bool, double, double, bool>> cases = {
        {"speed, kept", to({0.1}), true, 0.1, 0.25, false},
        {"small steps adding up, kept", to({0.4, 0.3, 0.2}), true, 0.2, 0.25, false},
        {"precision on, gone back", [](State& s) { s.setPrecisionMode(true); }, false, 0.5, 0.25,
         false},
        {"precision factor, kept",
         [](State& s) {
             s.setPrecisionFactor(0.1);
             s.setPrecisionMode(true);
         },
         true, 0.5, 0.1, true},
    };
    for (const auto& [name, change, keep, speed, factor, precision] : cases) {
        SCOPED_TRACE(name);
        start({0.5, 1.0, false});
        change(*state);
        ASSERT_TRUE(model->isAsking());
        EXPECT_EQ(stored()[HeadMouse], (DeviceSpecificSettings{0.5, 1.0, false}));
        keep ? model->keep() : model->goBack();
        EXPECT_EQ(stored()[HeadMouse], (DeviceSpecificSettings{speed, 1.0, false, {}, factor}));
        EXPECT_EQ(state->precisionMode(), precision);
        waitForReadBacks();
        model.reset();
        state.reset();
        unplug(mouse);
    }
    // A key the user bound switches precision mode without a question.
    start({0.5, 1.0, false});
    model->withoutAsking([&] { state->setPrecisionMode(true); });
    EXPECT_FALSE(model->isAsking());
    state->setPrecisionMode(false);
    EXPECT_FALSE(model->isAsking());
}

// It gets exactly what it held: the values going back to were read from it, not set.
TEST_F(KeepOrGoBackTest, GoingBackLeavesADeviceWithoutARecordWithoutOne)
{
    mouse = connect("Head Mouse", 4660, 171);
    build();
    model = std::make_unique<KeepOrGoBack>(*state, KeepOrGoBack::Durations{50, 2, 20});
    state->ensureDeviceSelectionAndLoadSettings();
    state->setCurrentPointerSpeed(0.9);
    ASSERT_TRUE(model->isAsking());
    model->goBack();
    EXPECT_FALSE(stored().contains(HeadMouse));
    EXPECT_EQ(written(*mouse, Resolution).back(), 400 * 65536);
}
