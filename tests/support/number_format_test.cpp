#include "support/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using veloquill::formatBool;
using veloquill::formatOptionalReal;
using veloquill::formatReal;

TEST(FormatReal, WholeNumbersGainPointZero)
{
    EXPECT_EQ(formatReal(1.0), "1.0");
    EXPECT_EQ(formatReal(400.0), "400.0");
    EXPECT_EQ(formatReal(1200.0), "1200.0");
    EXPECT_EQ(formatReal(-3.0), "-3.0");
}

TEST(FormatReal, ShortestDigitsThatReadBackExactly)
{
    EXPECT_EQ(formatReal(0.5), "0.5");
    EXPECT_EQ(formatReal(0.6875), "0.6875");
    EXPECT_EQ(formatReal(0.1), "0.1");
    EXPECT_EQ(formatReal(77.41935483870967), "77.41935483870967");
    EXPECT_EQ(formatReal(56.33802816901409), "56.33802816901409");
    EXPECT_EQ(formatReal(1.0 / 3.0), "0.3333333333333333");
    EXPECT_EQ(formatReal(-0.25), "-0.25");
    for (double v : {0.1 + 0.2, 1.0 / 29.0, 123456.789, 3.0e-4}) {
        EXPECT_EQ(formatReal(v).toDouble(), v) << formatReal(v).toStdString();
    }
}

TEST(FormatReal, SmallMagnitudesSwitchToExponentBelowTenToTheMinusFour)
{
    EXPECT_EQ(formatReal(0.0001), "0.0001");
    EXPECT_EQ(formatReal(0.00012), "0.00012");
    EXPECT_EQ(formatReal(0.00001), "1e-05");
    EXPECT_EQ(formatReal(1.5e-7), "1.5e-07");
    EXPECT_EQ(formatReal(-2.5e-10), "-2.5e-10");
    EXPECT_EQ(formatReal(1e-100), "1e-100");
    EXPECT_EQ(formatReal(std::numeric_limits<double>::denorm_min()), "5e-324");
}

TEST(FormatReal, LargeMagnitudesSwitchToExponentAboveTwoToThe53)
{
    EXPECT_EQ(formatReal(9007199254740992.0), "9007199254740992.0");
    EXPECT_EQ(formatReal(1e15), "1000000000000000.0");
    EXPECT_EQ(formatReal(1e16), "1e+16");
    EXPECT_EQ(formatReal(9007199254740994.0), "9.007199254740994e+15");
    EXPECT_EQ(formatReal(1e100), "1e+100");
    EXPECT_EQ(formatReal(-1.5e20), "-1.5e+20");
    EXPECT_EQ(formatReal(std::numeric_limits<double>::max()), "1.7976931348623157e+308");
}

TEST(FormatReal, ZerosInfinitiesAndNotANumber)
{
    EXPECT_EQ(formatReal(0.0), "0.0");
    EXPECT_EQ(formatReal(-0.0), "-0.0");
    EXPECT_EQ(formatReal(std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ(formatReal(-std::numeric_limits<double>::infinity()), "-inf");
    EXPECT_EQ(formatReal(std::nan("")), "nan");
}

TEST(FormatReal, OptionalAndBooleanForms)
{
    EXPECT_EQ(formatOptionalReal(0.6875), "Optional(0.6875)");
    EXPECT_EQ(formatOptionalReal(1.0), "Optional(1.0)");
    EXPECT_EQ(formatOptionalReal(std::nullopt), "nil");
    EXPECT_EQ(formatBool(true), "true");
    EXPECT_EQ(formatBool(false), "false");
}
