#include "settings_state_fixture.h"

#include "settings/keep_or_go_back.h"

#include <functional>

using namespace veloquill;
using namespace veloquill::test;

namespace {
const QString Trackball = QStringLiteral("2-2-Trackball-N/A");
const std::int64_t Neutral = 5073754; // the resolution written for speed 0.5

// The Head Mouse selected with its stored values loaded at start, watched by a model that
// settles after 50 ms and counts down two 20 ms seconds.
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

TEST_F(KeepOrGoBackTest, OnlyChangesBeyondHalfOrTwiceTheSettledSlowGainAsk)
{
    struct Case
    {
        const char* name;
        double from;
        std::function<void(State&, KeepOrGoBack&)> change;
        bool asks;
    };
    const auto speeds = [](std::vector<double> steps) {
        return [steps](State& s, KeepOrGoBack&) {
            for (double speed : steps)
                s.setCurrentPointerSpeed(speed);
        };
    };
    const std::vector<Case> cases = {
        {"loaded at start", 0.05, speeds({}), false},
        {"a little faster", 0.5, speeds({0.6}), false},
        {"fastest, under twice", 0.5, speeds({1.0}), false},
        {"much slower", 0.5, speeds({0.1}), true},
        {"much faster", 0.2, speeds({0.9}), true},
        {"small steps adding up", 0.5, speeds({0.4, 0.3, 0.2}), true},
        {"there and back", 0.5, speeds({0.1, 0.5}), false},
        {"acceleration only", 0.5,
         [](State& s, KeepOrGoBack&) {
             s.setCurrentPointerAcceleration(20);
             s.setCurrentPointerDisableAcceleration(true);
         },
         false},
        {"revert to the defaults", 0.05, [](State& s, KeepOrGoBack&) { s.revertPointerSpeed(); },
         true},
        {"switched off", 0.5,
         [](State& s, KeepOrGoBack& m) {
             m.setEnabled(false);
             s.setCurrentPointerSpeed(0.1);
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        start({c.from, 1.0, false});
        c.change(*state, *model);
        drainMainLoop();
        EXPECT_EQ(model->isAsking(), c.asks);
        model.reset();
        state.reset();
        unplug(mouse);
    }
}

TEST_F(KeepOrGoBackTest, ValuesStandingForTheSettleTimeAreTheNewMeasure)
{
    start({0.5, 1.0, false});
    state->setCurrentPointerSpeed(0.3);
    EXPECT_TRUE(runMainLoopUntil([&] { return model->settledValues().speed == 0.3; }));
    state->setCurrentPointerSpeed(0.2); // less than half of 0.5's gain, not of 0.3's
    EXPECT_FALSE(model->isAsking());
}

TEST_F(KeepOrGoBackTest, KeepStaysGoBackAndTheCountdownRestoreTheDeviceAndItsRecord)
{
    enum End
    {
        Keep,
        GoBack,
        Timeout
    };
    for (End end : {Keep, GoBack, Timeout}) {
        SCOPED_TRACE(end);
        start({0.5, 1.0, false});
        std::vector<int> seconds;
        QObject::connect(model.get(), &KeepOrGoBack::secondsLeftChanged,
                         [&](int s) { seconds.push_back(s); });
        state->setCurrentPointerSpeed(0.1);
        state->setCurrentPointerSpeed(0.1); // no change: the countdown goes on
        if (end == Keep)
            model->keep();
        else if (end == GoBack)
            model->goBack();
        EXPECT_TRUE(runMainLoopUntil([&] { return !model->isAsking(); }));
        const double speed = end == Keep ? 0.1 : 0.5;
        EXPECT_EQ(state->currentPointerSpeed(), speed);
        EXPECT_EQ(stored()[HeadMouse].pointerSpeed, speed);
        EXPECT_EQ(written(*mouse, Resolution).back() == Neutral, end != Keep);
        EXPECT_EQ(seconds, (end == Timeout ? std::vector{2, 1, 0} : std::vector{2}));
        waitForReadBacks();
        model.reset();
        state.reset();
        unplug(mouse);
    }
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
    EXPECT_EQ(written(*mouse, Resolution).back(), Neutral);
    EXPECT_EQ(model->settledValues().speed, 0.05);
}
