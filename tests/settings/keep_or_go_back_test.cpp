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

// The Head Mouse's stored values loaded at start; settling takes 50 ms, a second 20 ms.
class KeepOrGoBackTest : public SettingsStateTest
{
protected:
    void start(DeviceSpecificSettings headMouse, DeviceSettingsTable others = {})
    {
        others.insert(HeadMouse, headMouse);
        store->setData(State::DeviceSettingsKey, *encodeDeviceSettingsTable(others).data);
        store->setString(State::SelectedDeviceIDKey, HeadMouse);
        mouse = connect("Head Mouse", 4660, 171);
        build();
        model = std::make_unique<KeepOrGoBack>(*state, KeepOrGoBack::Durations{50, 2, 20});
        state->ensureDeviceSelectionAndLoadSettings();
        drainMainLoop();
    }
    std::shared_ptr<sim::SimulatedService> mouse;
    std::unique_ptr<KeepOrGoBack> model;
};
} // namespace

// Changes that ask are undone on the device and in its record when time runs out.
TEST_F(KeepOrGoBackTest, OnlyChangesBeyondHalfOrTwiceTheSettledSlowGainAskAndAreUndone)
{
    const auto to = [](std::vector<double> speeds) {
        return [speeds](State& s) {
            for (double speed : speeds)
                s.setCurrentPointerSpeed(speed);
        };
    };
    // name, stored speed, change, asks, speed once the countdown is over
    const std::vector<std::tuple<const char*, double, std::function<void(State&)>, bool, double>>
        cases = {
            {"loaded at start", 0.05, to({}), false, 0.05},
            {"a little faster", 0.5, to({0.6}), false, 0.6},
            {"fastest, under twice", 0.5, to({1.0}), false, 1.0},
            {"much slower", 0.5, to({0.1}), true, 0.5},
            {"much faster", 0.2, to({0.9}), true, 0.2},
            {"small steps adding up", 0.5, to({0.4, 0.3, 0.2}), true, 0.5},
            {"there and back", 0.5, to({0.1, 0.5}), false, 0.5},
            {"acceleration", 0.5, [](State& s) { s.setCurrentPointerAcceleration(20); }, false,
             0.5},
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

TEST_F(KeepOrGoBackTest, ValuesStandingForTheSettleTimeAreTheMeasureAndSwitchedOffNothingAsks)
{
    start({0.5, 1.0, false});
    state->setCurrentPointerSpeed(0.3);
    EXPECT_TRUE(runMainLoopUntil([&] { return model->settledValues().speed == 0.3; }));
    state->setCurrentPointerSpeed(0.2); // less than half of 0.5's gain, not of 0.3's
    EXPECT_FALSE(model->isAsking());
    model->setEnabled(false);
    state->setCurrentPointerSpeed(1.0);
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
