// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QSlider>

#include <optional>

namespace veloquill {

// The values a slider edits and how finely. The slider has a position for every value with
// `fractionDigits` decimals; a fine step is what an arrow key, a − or + press or a click
// beside the handle moves, a coarse step what Page Up or Down moves.
struct SliderScale
{
    double minimum;
    double maximum;
    int fractionDigits;
    double fineStep;
    double coarseStep;

    int positions() const;
    // Values outside the range sit at its ends.
    int positionFor(double value) const;
    double valueAt(int position) const;
};

// A slider that moves in small, predictable steps: a click on the track moves one fine step
// towards the click rather than a page, so an unsteady pointer cannot make a large change.
// The handle drags as usual. Screen readers hear its value, range and step in the units of
// its scale, not slider positions.
class FineSlider : public QSlider
{
    Q_OBJECT

public:
    explicit FineSlider(const SliderScale& scale, QWidget* parent = nullptr);

    const SliderScale& scale() const { return m_scale; }
    double scaledValue() const { return m_scale.valueAt(value()); }
    // Moves the slider as a user would, so that whoever listens takes the value.
    void moveTo(double value);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    SliderScale m_scale;
    // A press on the handle, and where in the handle it took hold; it becomes a drag only
    // once it has moved the platform's drag distance.
    std::optional<QPoint> m_handlePress;
    int m_holdOffset = 0;
    bool m_dragging = false;
};

} // namespace veloquill
