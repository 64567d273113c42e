// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "views/pointer_curve_view.h"

#include "device/pointer_ranges.h"
#include "settings/pointer_speed_mapping.h"
#include "settings/veloquill_pointer_settings_state.h"
#include "views/contrast.h"

#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace veloquill {

namespace {
using State = VeloquillPointerSettingsState;

constexpr int kPlotHeight = 120;
constexpr int kGap = 6;
constexpr int kHandSpeedTicks = 4;
constexpr int kMinimumWidth = 240;
// Above the plot its caption; below it the tick labels and a caption of up to two lines.
constexpr int kTextLines = 4;

double handSpeedAt(int sample)
{
    return PointerCurveView::kFastHandSpeed * sample / (PointerCurveView::kSamples - 1);
}

QString gainText(double gain)
{
    return QLocale().toString(gain, 'f', 2) + QChar(0x00D7);
}

// "At slow hand speeds the pointer moves 1.47× as far; at fast ones up to 2.94×."
QString summary(double slowGain, double fastGain)
{
    return PointerCurveView::tr(
               "At slow hand speeds the pointer moves %1 as far; at fast ones up to %2.")
        .arg(gainText(slowGain), gainText(fastGain));
}
} // namespace

PointerCurveView::PointerCurveView(State& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    setAccessibleName(tr("Pointer speed against hand speed"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    for (auto changed : {&State::currentPointerSpeedChanged,
                         &State::currentPointerAccelerationChanged, &State::precisionFactorChanged})
        connect(&state, changed, this, &PointerCurveView::refresh);
    for (auto changed :
         {&State::currentPointerDisableAccelerationChanged, &State::precisionModeChanged})
        connect(&state, changed, this, &PointerCurveView::refresh);
    connect(&state, &State::selectedDeviceIDChanged, this, &PointerCurveView::refresh);
    refresh();
}

void PointerCurveView::refresh()
{
    const PointerDeviceRef device = m_state.selectedDevice();
    m_model = device && m_state.selectedDeviceID() ? device->curveModel() : std::nullopt;
    setHidden(!m_model);
    if (!m_model)
        return;
    // The speed goes through the mapping the state writes with; precision mode scales the
    // speed factor, which is the inverse of the resolution: the device as it is now.
    const PointerCurveInput input{
        PointerSpeedMapping::forSpeed(m_state.currentPointerSpeed()).systemResolution /
            (m_state.precisionMode() ? m_state.precisionFactorInEffect() : 1.0),
        m_state.currentPointerDisableAcceleration() ? PointerRange::AccelerationOff
                                                    : m_state.currentPointerAcceleration()};
    for (int sample = 0; sample < kSamples; ++sample)
        m_gains[sample] = pointerGain(*m_model, input, handSpeedAt(sample));
    setAccessibleDescription(summary(pointerGain(*m_model, input, kSlowHandSpeed),
                                     pointerGain(*m_model, input, kFastHandSpeed)));
    update();
}

QSize PointerCurveView::minimumSizeHint() const
{
    const int line = fontMetrics().height();
    return {kMinimumWidth, kPlotHeight + kTextLines * line + 2 * kGap};
}

void PointerCurveView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& colours = palette();
    const QFontMetrics metrics = fontMetrics();
    const int line = metrics.height();
    const double top = *std::max_element(m_gains.begin(), m_gains.end());
    const double yMax = std::max(0.5, std::ceil(top * 1.1 * 2.0) / 2.0);
    const int left = metrics.horizontalAdvance(gainText(yMax)) + kGap;
    // The last tick's label is centred on the plot's right end.
    const int right = metrics.horizontalAdvance(QStringLiteral("100")) / 2 + kGap;
    const QRectF plot(left, line + kGap, width() - left - right,
                      height() - kTextLines * line - 2 * kGap);
    const auto x = [&](double speed) {
        return plot.left() + plot.width() * speed / kFastHandSpeed;
    };
    const auto y = [&](double gain) { return plot.bottom() - plot.height() * gain / yMax; };
    // Right to left, hand speed grows leftwards and the gain's scale stands on the right: laid
    // out left to right, then mirrored.
    const bool mirrored = isRightToLeft();
    const auto at = [&](QPointF point) {
        return mirrored ? QPointF(width() - point.x(), point.y()) : point;
    };
    const auto in = [&](const QRectF& box) {
        return mirrored ? QRectF(width() - box.right(), box.top(), box.width(), box.height()) : box;
    };
    const auto aligned = [&](Qt::Alignment alignment) {
        return int(QStyle::visualAlignment(layoutDirection(), alignment));
    };

    painter.setPen(secondaryTextColor(colours));
    painter.drawText(in(QRectF(0, 0, width(), line)), aligned(Qt::AlignLeft | Qt::AlignTop),
                     tr("Pointer speed (× hand motion)"));
    for (double gain : {0.0, yMax / 2, yMax})
        painter.drawText(in(QRectF(0, y(gain) - line / 2.0, left - kGap / 2.0, line)),
                         aligned(Qt::AlignRight | Qt::AlignVCenter), gainText(gain));
    for (int tick = 0; tick <= kHandSpeedTicks; ++tick) {
        const double speed = kFastHandSpeed * tick / kHandSpeedTicks;
        painter.drawText(in(QRectF(x(speed) - 40, plot.bottom() + 2, 80, line)), Qt::AlignHCenter,
                         QLocale().toString(speed, 'f', 0));
    }
    // libinput measures motion as if every device had 1000 dpi; the real resolution is unknown.
    painter.drawText(
        in(QRectF(0, plot.bottom() + line + kGap, width(), line * 2)),
        aligned(Qt::AlignLeft) | Qt::TextWordWrap,
        tr("Hand speed in mm/s, taking the device as 1000 dpi (its resolution is unknown)"));

    painter.setPen(QPen(controlBorderColor(colours), 1));
    painter.drawLine(at(plot.bottomLeft()), at(plot.bottomRight()));
    painter.drawLine(at(plot.bottomLeft()), at(plot.topLeft()));

    QPainterPath path;
    for (int sample = 0; sample < kSamples; ++sample) {
        const QPointF point = at({x(handSpeedAt(sample)), y(m_gains[sample])});
        if (sample == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    // The focus ring's colour stands out (3:1) from the window, as the line must.
    painter.setPen(QPen(focusRingColor(colours), 2));
    painter.drawPath(path);
}

} // namespace veloquill
