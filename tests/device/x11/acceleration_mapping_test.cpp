// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/acceleration_mapping.h"

#include <gtest/gtest.h>

namespace veloquill::x11 {
namespace {

TEST(AccelerationMapping, FeedbackIsLinearAtZeroAndDistinctAtEveryStep)
{
    // 0 never accelerates; 1 is the server's own 2/1 at threshold 4.
    EXPECT_EQ(feedbackForAcceleration(0), (PointerFeedback{950, 950, 4}));
    EXPECT_EQ(feedbackForAcceleration(kAccelerationNeutral), (PointerFeedback{1900, 950, 4}));
    EXPECT_EQ(feedbackForAcceleration(kAccelerationMaximum), (PointerFeedback{5700, 950, 4}));
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
