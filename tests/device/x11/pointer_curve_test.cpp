// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Expected gains worked out by hand from libinput's linear profile for mice and the X server's
// classic profile (docs/curve.md), at 1000 dpi where 25.4 mm/s is one unit per millisecond.
#include "device/pointer_curve.h"

#include "device/pointer_ranges.h"
#include "device/x11/x11_pointer_curve.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace veloquill;

namespace {
using Kind = PointerCurveModel::Kind;
constexpr double kNeutral = 77.41935483870967; // the default speed's resolution: scale 1
constexpr double kFast = 40.0;                 // scale 5073754 / 2621440
constexpr double kOff = PointerRange::AccelerationOff;

struct Case
{
    const char* what;
    PointerCurveModel model;
    PointerCurveInput input;
    double handSpeed;
    double gain;
};

const PointerCurveModel kLibinput{Kind::Libinput};
const PointerCurveModel kX11Libinput = x11::curveModel(Kind::X11Libinput);
const PointerCurveModel kServer = x11::curveModel(Kind::X11Server);

const Case kCases[] = {
    // libinput speed 0: decelerated below 0.07 u/ms, 1 up to 0.4, incline 1.1, top 2.
    {"desktop, slowest", kLibinput, {kNeutral, 1}, 1.27, 0.8},
    {"desktop, plateau", kLibinput, {kNeutral, 1}, 5, 1.0},
    {"desktop, incline", kLibinput, {kNeutral, 1}, 25.4, 1.66},
    {"desktop, top", kLibinput, {kNeutral, 1}, 100, 2.0},
    {"desktop, flat", kLibinput, {kNeutral, kOff}, 100, 1.0},
    // Resolution 40 is speed 0.935484: threshold 0.2, incline 1.801613, top 3.403226.
    {"desktop, fast incline", kLibinput, {kFast, 1}, 25.4, 2.441290},
    {"desktop, fast flat", kLibinput, {kFast, kOff}, 25.4, 1.935484},
    // X11 with libinput's custom profile: the gain times libinput's shape at the acceleration's
    // speed, its plateau made 1 (speed -1 tops out at 0.5: acceleration 0 is linear).
    {"x11 libinput, speed 0", kX11Libinput, {kFast, 1}, 25.4, 1.935484 * 1.66},
    {"x11 libinput, speed 1", kX11Libinput, {kNeutral, 20}, 25.4, 2.48},
    {"x11 libinput, speed -1", kX11Libinput, {kNeutral, 0}, 100, 1.0},
    {"x11 libinput, flat", kX11Libinput, {kFast, kOff}, 100, 1.935484},
    // The server with the feedback for the acceleration: 1 is 2/1 at threshold 4 and velocity
    // scaling 10, 0 is 1/1, 20 is 6/1 at 30. The constant deceleration divides after the profile.
    // Below 1 the profile would decelerate (0.608998 here); the server applies at least 1.
    {"server, below one", kServer, {kNeutral, 1}, 1.27, 1.0},
    {"server, plateau", kServer, {kNeutral, 1}, 7.62, 1.0},
    {"server, step", kServer, {kNeutral, 1}, 15.24, 1.804499},
    {"server, top", kServer, {kNeutral, 1}, 100, 2.0},
    {"server, fast step", kServer, {kFast, 1}, 15.24, 1.935484 * 1.804499},
    {"server, linear", kServer, {kNeutral, 0}, 100, 1.0},
    {"server, highest", kServer, {kNeutral, 20}, 100, 6.0},
    // 5.75 is 3/1 at scaling 15: the step's middle at the same hand speed, higher.
    {"server, 5.75", kServer, {kNeutral, 5.75}, 15.24, 1 + 2 * 0.804499},
    {"server, off", kServer, {kFast, kOff}, 100, 1.935484},
};
} // namespace

TEST(PointerCurve, GainsFollowThePublishedProfilesForWhatTheLayerWrites)
{
    for (const Case& c : kCases)
        EXPECT_NEAR(pointerGain(c.model, c.input, c.handSpeed), c.gain, 1e-5) << c.what;
}

namespace veloquill::x11 {
namespace {

TEST(AccelerationMapping, FeedbackIsLinearAtZeroAndDistinctAtEveryStep)
{
    EXPECT_EQ(feedbackForAcceleration(asFixed(-3)), feedbackForAcceleration(0)); // bounded
    int previous = 0;
    for (int step = 0; step <= 20; ++step) {
        const PointerFeedback feedback = feedbackForAcceleration(asFixed(step));
        EXPECT_GT(feedback.numerator, previous) << step;
        EXPECT_EQ(accelerationForFeedback(feedback), asFixed(step)) << step;
        previous = feedback.numerator;
    }
    // Another program's feedback reads as the nearest amount, bounded.
    EXPECT_EQ(accelerationForFeedback({2, 1, 4}), kAccelerationNeutral);
    EXPECT_EQ(accelerationForFeedback({20, 1, 4}), kAccelerationMaximum);
    EXPECT_EQ(accelerationForFeedback({1, 2, 4}), 0);
}

TEST(AccelerationMapping, LibinputSpeedsAndCustomCurves)
{
    // acceleration → libinput speed
    for (const auto& [acceleration, speed] : std::vector<std::pair<double, float>>{
             {1.0, 0.0f}, {0.0, -1.0f}, {20.0, 1.0f}, {5.75, 0.25f}, {0.5, -0.5f}, {25.0, 1.0f}})
        EXPECT_EQ(libinputSpeedForAcceleration(asFixed(acceleration)), speed) << acceleration;
    // The custom curve moves at the gain on slow motion whatever the acceleration, and rises
    // with it on fast motion; it never falls.
    for (const double acceleration : {0.0, 1.0, 20.0}) {
        const auto points = customPointsFor(0.5, asFixed(acceleration));
        ASSERT_EQ(points.size(), std::size_t(kCustomPointCount));
        EXPECT_FLOAT_EQ(points[5] / (5 * kCustomStep), 0.5f) << acceleration;
        EXPECT_TRUE(std::is_sorted(points.begin(), points.end())) << acceleration;
    }
    const float last = kCustomStep * (kCustomPointCount - 1);
    EXPECT_FLOAT_EQ(customPointsFor(1, 0).back(), last);
    EXPECT_GT(customPointsFor(1, asFixed(20)).back(), 3 * last);
}

} // namespace
} // namespace veloquill::x11
