// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "views/contrast.h"

#include <algorithm>
#include <cmath>

namespace veloquill {

namespace {
// Fine enough that the chosen blend is within one 8-bit step of the best one.
constexpr int kBlendSteps = 256;
constexpr double kHighContrast = 7.0;

double linearChannel(double encoded)
{
    return encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
}

QPalette::ColorRole backgroundOf(QPalette::ColorRole textRole)
{
    switch (textRole) {
    case QPalette::Text:
        return QPalette::Base;
    case QPalette::ButtonText:
        return QPalette::Button;
    default:
        return QPalette::Window;
    }
}

// Relative luminance of the colour as WCAG 2 defines it (alpha is ignored).
double relativeLuminance(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return 0.2126 * linearChannel(rgb.redF()) + 0.7152 * linearChannel(rgb.greenF()) +
           0.0722 * linearChannel(rgb.blueF());
}

// The colour `amount` (0 to 1) of the way from `from` to `to`, mixed per sRGB component.
QColor blendColors(const QColor& from, const QColor& to, double amount)
{
    const QColor a = from.toRgb();
    const QColor b = to.toRgb();
    // Rounded to the 8 bits a screen shows, so the ratio checked is the one seen.
    auto mix = [amount](int x, int y) { return int(std::lround(x + (y - x) * amount)); };
    return QColor(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()));
}

// The blend of `ink` furthest towards `towards` that still reaches `ratio` against every one
// of `backgrounds`; `ink` itself when even it falls short.
QColor dimmestBlend(const QColor& ink, const QColor& towards, double ratio,
                    std::initializer_list<QColor> backgrounds)
{
    for (int step = kBlendSteps; step > 0; --step) {
        const QColor candidate = blendColors(ink, towards, double(step) / kBlendSteps);
        if (std::all_of(backgrounds.begin(), backgrounds.end(), [&](const QColor& background) {
                return contrastRatio(candidate, background) >= ratio;
            }))
            return candidate;
    }
    return blendColors(ink, towards, 0);
}

} // namespace

double contrastRatio(const QColor& first, const QColor& second)
{
    const double a = relativeLuminance(first);
    const double b = relativeLuminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

bool isHighContrast(const QPalette& palette)
{
    return contrastRatio(palette.color(QPalette::WindowText), palette.color(QPalette::Window)) >=
           kHighContrast;
}

QColor secondaryTextColor(const QPalette& palette)
{
    if (isHighContrast(palette))
        return palette.color(QPalette::WindowText);
    const QColor window = palette.color(QPalette::Window);
    return dimmestBlend(palette.color(QPalette::WindowText), window, kTextContrast,
                        {window, palette.color(QPalette::Base)});
}

QColor focusRingColor(const QPalette& palette)
{
    const QColor highlight = palette.color(QPalette::Highlight);
    if (contrastRatio(highlight, palette.color(QPalette::Window)) >= kGraphicContrast)
        return highlight;
    return palette.color(QPalette::WindowText);
}

QColor controlBorderColor(const QPalette& palette)
{
    if (isHighContrast(palette))
        return palette.color(QPalette::WindowText);
    const QColor window = palette.color(QPalette::Window);
    const QColor button = palette.color(QPalette::Button);
    return dimmestBlend(palette.color(QPalette::WindowText), window, kGraphicContrast,
                        {window, palette.color(QPalette::Base), button, button.lighter(130)});
}

QColor disabledTextColor(const QPalette& palette, QPalette::ColorRole textRole)
{
    const QColor background = palette.color(QPalette::Active, backgroundOf(textRole));
    const QColor active = palette.color(QPalette::Active, textRole);
    // A theme's own disabled colour stays when it is readable and still looks disabled.
    const QColor own = palette.color(QPalette::Disabled, textRole);
    const double ownRatio = contrastRatio(own, background);
    if (ownRatio >= kGraphicContrast && ownRatio < contrastRatio(active, background))
        return own;
    return dimmestBlend(active, background, kGraphicContrast, {background});
}

} // namespace veloquill
