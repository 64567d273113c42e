// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/resolution_mapping.h"

#include "device/x11/acceleration_mapping.h"

#include <gtest/gtest.h>

namespace veloquill::x11 {
namespace {

constexpr TransformMatrix kIdentity = {1, 0, 0, 0, 1, 0, 0, 0, 1};

TEST(ResolutionMapping, LowerResolutionMeansLongerTravel)
{
    // The default speed's resolution is the identity: a device keeps its own speed.
    EXPECT_EQ(scaleForResolution(5073754), 1.0f);
    EXPECT_EQ(scaleForResolution(5073754 / 2), 2.0f);
    EXPECT_EQ(scaleForResolution(5073754 * 2), 0.5f);
    // Speed 0 (resolution 1200) and speed 1 (resolution 40).
    EXPECT_FLOAT_EQ(*scaleForResolution(asFixed(1200)), 1 / 15.5f);
    EXPECT_FLOAT_EQ(*scaleForResolution(asFixed(40)), 1.9354836f);
    // Not positive: no scale.
    EXPECT_EQ(scaleForResolution(0), std::nullopt);
    EXPECT_EQ(scaleForResolution(-5073754), std::nullopt);
}

TEST(ResolutionMapping, MatricesReadAsTheirAreaScale)
{
    const std::vector<std::pair<TransformMatrix, std::optional<std::int32_t>>> cases{
        {kIdentity, 5073754},
        {{2, 0, 0, 0, 2, 0, 0, 0, 1}, 5073754 / 2},
        {{-1, 0, 0, 0, 1, 0, 0, 0, 1}, 5073754},               // mirrored
        {{4, 0, 0, 0, 1, 0, 0, 0, 1}, 5073754 / 2},            // stretched
        {{0, 0, 0.5f, 0, 0, 0, 0, 0, 1}, std::nullopt},        // degenerate
        {{0.001f, 0, 0, 0, 0.001f, 0, 0, 0, 1}, std::nullopt}, // 77419 does not fit 16.16
    };
    for (const auto& [matrix, resolution] : cases)
        EXPECT_EQ(resolutionForMatrix(matrix), resolution) << matrix[0] << " " << matrix[4];
}

TEST(ResolutionMapping, RescalingKeepsRotationMirroringAspectAndTranslation)
{
    const std::vector<std::tuple<TransformMatrix, float, TransformMatrix>> cases{
        {kIdentity, 0.5f, {0.5f, 0, 0, 0, 0.5f, 0, 0, 0, 1}},
        // A trackball mounted a quarter turn round, mapped with an offset.
        {{0, -1, 0.25f, 1, 0, 0.5f, 0, 0, 1}, 2.0f, {0, -2, 0.25f, 2, 0, 0.5f, 0, 0, 1}},
        {{-1, 0, 0, 0, 1, 0, 0, 0, 1}, 0.5f, {-0.5f, 0, 0, 0, 0.5f, 0, 0, 0, 1}},
        {{4, 0, 0, 0, 1, 0, 0, 0, 1}, 1.0f, {2, 0, 0, 0, 0.5f, 0, 0, 0, 1}},
        // Degenerate: replaced by scale × identity, translation kept.
        {{0, 0, 0.5f, 0, 0, 0, 0, 0, 1}, 2.0f, {2, 0, 0.5f, 0, 2, 0, 0, 0, 1}},
    };
    for (const auto& [current, scale, rescaled] : cases)
        EXPECT_EQ(rescaledMatrix(current, scale), rescaled) << current[0] << " " << scale;
}

} // namespace
} // namespace veloquill::x11
