#include "support/clamp.h"
#include "support/fixed_point.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using veloquill::clamp;
using veloquill::fromFixedPoint;
using veloquill::toFixedPoint;

TEST(FixedPoint, ScalesByTwoToThe16AndTruncatesTowardZero)
{
    EXPECT_EQ(toFixedPoint(400.0), 26214400);
    EXPECT_EQ(toFixedPoint(0.6875), 45056);
    EXPECT_EQ(toFixedPoint(1.00001), 65536);
    EXPECT_EQ(toFixedPoint(-1.0), -65536);
    EXPECT_EQ(toFixedPoint(-0.5), -32768);
    EXPECT_EQ(toFixedPoint(-0.000001), 0);
    EXPECT_EQ(toFixedPoint(56.33802816901409), 3692169);
    EXPECT_DOUBLE_EQ(fromFixedPoint(26214400), 400.0);
    EXPECT_DOUBLE_EQ(fromFixedPoint(45056), 0.6875);
}

TEST(FixedPoint, AcceptsTheWholeInt32RangeAndRefusesBeyondIt)
{
    EXPECT_EQ(toFixedPoint(32767.99999), 2147483647);
    EXPECT_EQ(toFixedPoint(-32768.0), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(toFixedPoint(-32768.00001), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(toFixedPoint(32768.0), std::nullopt);
    EXPECT_EQ(toFixedPoint(-32768.0001), std::nullopt);
    EXPECT_EQ(toFixedPoint(1e300), std::nullopt);
}

TEST(FixedPoint, RefusesValuesThatAreNotFinite)
{
    EXPECT_EQ(toFixedPoint(std::nan("")), std::nullopt);
    EXPECT_EQ(toFixedPoint(std::numeric_limits<double>::infinity()), std::nullopt);
    EXPECT_EQ(toFixedPoint(-std::numeric_limits<double>::infinity()), std::nullopt);
}

TEST(Clamp, BoundsMayComeInEitherOrder)
{
    EXPECT_EQ(clamp(5.0, 10.0, 1995.0), 10.0);
    EXPECT_EQ(clamp(3000.0, 1995.0, 10.0), 1995.0);
    EXPECT_EQ(clamp(400.0, 10.0, 1995.0), 400.0);
    EXPECT_EQ(clamp(7, 3, 3), 3);
}
