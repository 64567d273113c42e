#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QSlider;

namespace veloquill {

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

// A slider with its title, range caption and help button beside the track, and a number
// field after it, both bound to one number of the settings state. The slider writes while
// it moves; the field writes what it parses when its edit is committed (Return, or leaving
// it), and otherwise shows the number as it stands.
class ValueSliderRow : public QWidget
{
    Q_OBJECT

public:
    // The values the row edits, and how many fraction digits a user may give them: the
    // slider has a position for every such value, so one typed in is shown where it is.
    struct Range
    {
        double minimum;
        double maximum;
        int fractionDigits;

        int sliderSteps() const;
    };

    static constexpr int kFieldWidth = 80;

    ValueSliderRow(VeloquillPointerSettingsState& state, BoundNumber number, Range range,
                   const QString& title, const QString& rangeCaption, const QString& helpText,
                   QWidget* parent = nullptr);

    QString title() const;
    QSlider* slider() const { return m_slider; }
    QLineEdit* numberField() const { return m_field; }
    HelpButton* helpButton() const { return m_helpButton; }

    // Rows stacked in one form give their labels one width, so that their tracks line up.
    int labelWidthHint() const;
    void setLabelWidth(int width);

    // The slider position that shows the value; values outside the range sit at its ends.
    int sliderPositionFor(double value) const;

private:
    double valueAtSliderPosition(int position) const;
    const DecimalFormatter& formatter() const;
    double current() const;
    void showValue(double value);
    void commitTypedText();
    void commitSliderPosition(int position);

    VeloquillPointerSettingsState& m_state;
    BoundNumber m_number;
    Range m_range;
    QWidget* m_label = nullptr;
    QLabel* m_title = nullptr;
    QSlider* m_slider = nullptr;
    QLineEdit* m_field = nullptr;
    HelpButton* m_helpButton = nullptr;
};

} // namespace veloquill
