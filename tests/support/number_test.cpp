// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/fixed_point.h"
#include "support/number_format.h"
#include "support/qt_printers.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <charconv>
#include <limits>

using namespace veloquill;

namespace {
constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
} // namespace

// Each text names exactly the double it reads as, so the table is one list of texts.
TEST(FormatReal, ShortestDigitsThatReadBackWithPointZeroAndExponentOutsidePlainRange)
{
    const QString table = "1.0 1200.0 -3.0 0.6875 77.41935483870967 0.3333333333333333 -0.25 "
                          "0.0001 0.00012 1e-05 -2.5e-10 1e-100 5e-324 9007199254740992.0 "
                          "1000000000000000.0 9.007199254740994e+15 -1.5e+20 "
                          "1.7976931348623157e+308 0.0 -0.0 inf -inf nan";
    for (const QString& text : table.split(' ')) {
        const std::string digits = text.toStdString();
        double value = 0;
        std::from_chars(digits.data(), digits.data() + digits.size(), value);
        EXPECT_EQ(formatReal(value), text);
    }
}

TEST(FixedPoint, ScalesByTwoToThe16TruncatingTowardZeroAndRefusesWhatInt32CannotHold)
{
    const double values[] = {400.0,       1.00001,      -0.5,    -0.000001,   56.33802816901409,
                             32767.99999, -32768.00001, 32768.0, -32768.0001, 1e300,
                             NaN,         Inf,          -Inf};
    QStringList texts;
    for (double value : values) {
        const auto fixed = toFixedPoint(value);
        texts << (fixed ? QString::number(*fixed) : "none");
    }
    EXPECT_EQ(
        texts.join(' '),
        "26214400 65536 -32768 0 3692169 2147483647 -2147483648 none none none none none none");
    EXPECT_DOUBLE_EQ(fromFixedPoint(45056), 0.6875);
}
