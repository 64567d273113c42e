// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/number_format.h"

#include <charconv>
#include <cmath>
#include <string>

namespace veloquill {

namespace {
constexpr double kLargestPlainMagnitude = 9007199254740992.0; // 2^53

// The digits (without sign or point) placed around the point, the first digit standing for
// 10^exponent.
std::string plainForm(const std::string& digits, int exponent)
{
    const int count = static_cast<int>(digits.size());
    if (exponent < 0)
        return "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
    if (exponent >= count - 1)
        return digits + std::string(static_cast<size_t>(exponent - (count - 1)), '0') + ".0";
    const auto split = static_cast<size_t>(exponent + 1);
    return digits.substr(0, split) + "." + digits.substr(split);
}
} // namespace

QString formatReal(double value)
{
    if (std::isnan(value))
        return QStringLiteral("nan");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-inf") : QStringLiteral("inf");
    if (value == 0.0)
        return std::signbit(value) ? QStringLiteral("-0.0") : QStringLiteral("0.0");

    const double magnitude = std::fabs(value);
    // The shortest digits that read back the same, as d.ddde±XX: the exponent form as it is.
    char buffer[64];
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific);
    std::string text(buffer, written.ptr);
    const auto ePos = text.find('e');
    const int exponent = std::stoi(text.substr(ePos + 1));
    if (exponent >= -4 && magnitude <= kLargestPlainMagnitude) {
        std::string digits = text.substr(0, ePos);
        std::erase(digits, '.');
        text = plainForm(digits, exponent);
    }
    if (value < 0)
        text.insert(0, 1, '-');
    return QString::fromStdString(text);
}

QString formatBool(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace veloquill
