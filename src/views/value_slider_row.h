// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QSlider>
#include <QWidget>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

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

class DecimalFormatter;
class HelpButton;
class VeloquillPointerSettingsState;

// One number of the settings state as the slider row edits it: how to read, write and hear
// it, and how to show and parse it.
struct BoundNumber
{
    using State = VeloquillPointerSettingsState;
    double (State::*get)() const;
    void (State::*set)(double);
    void (State::*changed)(double);
    const DecimalFormatter& (State::*formatter)() const;
};

// A slider with its title, range caption and help button beside the track, a − and a +
// button either side of it that move it by one fine step, and a number field after it, all
// bound to one number of the settings state. The slider writes while it moves; the field
// writes what it parses when its edit is committed (Return, or leaving it), and otherwise
// shows the number as it stands.
class ValueSliderRow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kFieldWidth = 80;

    ValueSliderRow(VeloquillPointerSettingsState& state, BoundNumber number, SliderScale range,
                   const QString& title, const QString& rangeCaption, const QString& helpText,
                   QWidget* parent = nullptr);

    FineSlider* slider() const { return m_slider; }
    QPushButton* decreaseButton() const { return m_decrease; }
    QPushButton* increaseButton() const { return m_increase; }
    QLineEdit* numberField() const { return m_field; }
    HelpButton* helpButton() const { return m_helpButton; }

    // Opens or closes the slider, its buttons and the field to changes; the help stays.
    void setControlsEnabled(bool enabled);

    // Rows stacked in one form give their labels one width, so that their tracks line up.
    int labelWidthHint() const;
    void setLabelWidth(int width);

private:
    QPushButton* stepButton(const QString& symbol, const QString& name,
                            QAbstractSlider::SliderAction action);
    const DecimalFormatter& formatter() const;
    double current() const;
    void showValue(double value);
    void commitTypedText();
    void commitSliderPosition(int position);

    VeloquillPointerSettingsState& m_state;
    BoundNumber m_number;
    QWidget* m_label = nullptr;
    FineSlider* m_slider = nullptr;
    QPushButton* m_decrease = nullptr;
    QPushButton* m_increase = nullptr;
    QLineEdit* m_field = nullptr;
    HelpButton* m_helpButton = nullptr;
};

} // namespace veloquill
