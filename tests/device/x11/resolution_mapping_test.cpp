// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/resolution_mapping.h"

#include "device/x11/acceleration_mapping.h"

#include <gtest/gtest.h>

namespace veloquill::x11 {
namespace {

TEST(ResolutionMapping, ConstantDecelerationIsTheInverseGain)
{
    // resolution → gain, constant deceleration, resolution read back
    const std::vector<std::tuple<std::int32_t, float, float>> cases{
        {5073754, 1.0f, 1.0f}, // the default speed: the device moves as it reports
        {5073754 / 2, 2.0f, 0.5f},
        {5073754 * 2, 0.5f, 2.0f},
        {asFixed(1200), 1 / 15.5f, 15.5f},      // speed 0
        {asFixed(40), 1.9354836f, 0.51666665f}, // speed 1
    };
    for (const auto& [resolution, gain, deceleration] : cases) {
        SCOPED_TRACE(resolution);
        EXPECT_FLOAT_EQ(*scaleForResolution(resolution), gain);
        EXPECT_FLOAT_EQ(*constantDecelerationForResolution(resolution), deceleration);
        // Within float's precision; the value written itself reads back exactly (remembered).
        EXPECT_NEAR(*resolutionForConstantDeceleration(deceleration), resolution, resolution / 1e6);
    }
    for (const std::int32_t bad : {0, -5073754}) {
        EXPECT_EQ(scaleForResolution(bad), std::nullopt);
        EXPECT_EQ(constantDecelerationForResolution(bad), std::nullopt);
    }
    EXPECT_EQ(resolutionForConstantDeceleration(0), std::nullopt);
    EXPECT_EQ(resolutionForConstantDeceleration(1e6f), std::nullopt); // beyond 16.16
}

} // namespace
} // namespace veloquill::x11
