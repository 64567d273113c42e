#include "device/x11/resolution_mapping.h"

#include <gtest/gtest.h>

namespace veloquill::x11 {
namespace {

constexpr TransformMatrix kIdentity = {1, 0, 0, 0, 1, 0, 0, 0, 1};

constexpr std::int32_t fixed(double value)
{
    return static_cast<std::int32_t>(value * 65536);
}

TEST(ResolutionMapping, UntouchedDeviceReadsAsTheNeutralResolution)
{
    EXPECT_EQ(resolutionForMatrix(kIdentity), fixed(400));
}

TEST(ResolutionMapping, LowerResolutionMeansLongerTravel)
{
    EXPECT_EQ(scaleForResolution(fixed(200)), 2.0f);
    EXPECT_EQ(scaleForResolution(fixed(800)), 0.5f);
    EXPECT_EQ(resolutionForMatrix(rescaledMatrix(kIdentity, 2.0f)), fixed(200));
    EXPECT_EQ(rescaledMatrix(kIdentity, 0.5f), (TransformMatrix{0.5f, 0, 0, 0, 0.5f, 0, 0, 0, 1}));
}

TEST(ResolutionMapping, RescalingKeepsRotationMirroringAndTranslation)
{
    // A trackball mounted a quarter turn round, mapped with an offset.
    const TransformMatrix rotated = {0, -1, 0.25f, 1, 0, 0.5f, 0, 0, 1};
    EXPECT_EQ(rescaledMatrix(rotated, 2.0f), (TransformMatrix{0, -2, 0.25f, 2, 0, 0.5f, 0, 0, 1}));
    const TransformMatrix mirrored = {-1, 0, 0, 0, 1, 0, 0, 0, 1};
    EXPECT_EQ(rescaledMatrix(mirrored, 0.5f), (TransformMatrix{-0.5f, 0, 0, 0, 0.5f, 0, 0, 0, 1}));
    EXPECT_EQ(resolutionForMatrix(mirrored), fixed(400));
}

TEST(ResolutionMapping, NonUniformMatrixReadsAsItsAreaScale)
{
    const TransformMatrix stretched = {4, 0, 0, 0, 1, 0, 0, 0, 1};
    EXPECT_EQ(resolutionForMatrix(stretched), fixed(200));
    EXPECT_EQ(rescaledMatrix(stretched, 1.0f), (TransformMatrix{2, 0, 0, 0, 0.5f, 0, 0, 0, 1}));
}

TEST(ResolutionMapping, DegenerateMatrixIsUnreadableAndReplacedOnWrite)
{
    const TransformMatrix flat = {0, 0, 0.5f, 0, 0, 0, 0, 0, 1};
    EXPECT_EQ(resolutionForMatrix(flat), std::nullopt);
    EXPECT_EQ(rescaledMatrix(flat, 2.0f), (TransformMatrix{2, 0, 0.5f, 0, 2, 0, 0, 0, 1}));
}

TEST(ResolutionMapping, ResolutionOutsideWhatTheLayerCanHoldIsUnreadable)
{
    EXPECT_EQ(scaleForResolution(0), std::nullopt);
    EXPECT_EQ(scaleForResolution(-fixed(400)), std::nullopt);
    const TransformMatrix tiny = {0.001f, 0, 0, 0, 0.001f, 0, 0, 0, 1};
    EXPECT_EQ(resolutionForMatrix(tiny), std::nullopt); // 400000 does not fit 16.16
}

} // namespace
} // namespace veloquill::x11
