#include "views/value_slider_row.h"

#include "settings/veloquill_pointer_settings_state.h"
#include "views/help_button.h"
#include "views/text_styles.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace veloquill {

namespace {
constexpr int kLabelSpacing = 4;

QLabel* plainLabel(const QString& text)
{
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    return label;
}
} // namespace

ValueSliderRow::ValueSliderRow(VeloquillPointerSettingsState& state, BoundNumber number,
                               Range range, const QString& title, const QString& rangeCaption,
                               const QString& helpText, QWidget* parent)
    : QWidget(parent), m_state(state), m_number(number), m_range(range)
{
    m_title = plainLabel(title);
    auto* caption = plainLabel(rangeCaption);
    caption->setFont(captionFont());
    makeSecondary(caption);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(0);
    titles->addWidget(m_title);
    titles->addWidget(caption);
    m_helpButton = new HelpButton(helpText);
    m_label = new QWidget;
    auto* label = new QHBoxLayout(m_label);
    label->setContentsMargins(0, 0, 0, 0);
    label->setSpacing(kLabelSpacing);
    label->addLayout(titles);
    label->addWidget(m_helpButton, 0, Qt::AlignTop);
    label->addStretch();

    m_slider = new QSlider(Qt::Horizontal);
    // Arrow keys move a hundredth of the range, Page Up and Down a tenth.
    const int steps = m_range.sliderSteps();
    m_slider->setRange(0, steps);
    m_slider->setSingleStep(std::max(1, steps / 100));
    m_slider->setPageStep(std::max(1, steps / 10));
    m_slider->setAccessibleName(title);

    m_field = new QLineEdit;
    m_field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_field->setFixedWidth(kFieldWidth);
    m_field->setAccessibleName(title);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_label);
    layout->addWidget(m_slider, 1);
    layout->addWidget(m_field);

    showValue(current());
    connect(m_slider, &QSlider::valueChanged, this, &ValueSliderRow::commitSliderPosition);
    connect(m_field, &QLineEdit::editingFinished, this, &ValueSliderRow::commitTypedText);
    connect(&m_state, m_number.changed, this, &ValueSliderRow::showValue);
}

void ValueSliderRow::commitSliderPosition(int position)
{
    const double value = valueAtSliderPosition(position);
    (m_state.*m_number.set)(value);
}

QString ValueSliderRow::title() const
{
    return m_title->text();
}

int ValueSliderRow::labelWidthHint() const
{
    return m_label->sizeHint().width();
}

void ValueSliderRow::setLabelWidth(int width)
{
    m_label->setFixedWidth(width);
}

int ValueSliderRow::Range::sliderSteps() const
{
    return static_cast<int>(std::lround((maximum - minimum) * std::pow(10.0, fractionDigits)));
}

int ValueSliderRow::sliderPositionFor(double value) const
{
    const int steps = m_range.sliderSteps();
    const double span = m_range.maximum - m_range.minimum;
    const double position = (value - m_range.minimum) / span * steps;
    if (!std::isfinite(position))
        return 0;
    return static_cast<int>(std::lround(std::clamp(position, 0.0, double(steps))));
}

double ValueSliderRow::valueAtSliderPosition(int position) const
{
    // Divided last, so that a position gives the shortest decimal of its value (600 of 1000
    // is 0.6, not 0.6000000000000001).
    return m_range.minimum + (m_range.maximum - m_range.minimum) * position / m_range.sliderSteps();
}

const DecimalFormatter& ValueSliderRow::formatter() const
{
    return (m_state.*m_number.formatter)();
}

double ValueSliderRow::current() const
{
    return (m_state.*m_number.get)();
}

void ValueSliderRow::showValue(double value)
{
    // The state announces every assignment; moving the slider to show it must not write the
    // slider's rounded position back.
    {
        const QSignalBlocker blocker(m_slider);
        m_slider->setValue(sliderPositionFor(value));
    }
    // Text the user is still typing stays until they commit it.
    if (!m_field->isModified())
        m_field->setText(formatter().toString(value));
}

void ValueSliderRow::commitTypedText()
{
    // Leaving the field without typing writes nothing: the shown text is rounded to two
    // places and must not replace the value it shows.
    if (m_field->isModified()) {
        if (const std::optional<double> typed = formatter().fromString(m_field->text()))
            (m_state.*m_number.set)(*typed);
    }
    // What was refused goes back to the value as it stands.
    m_field->setText(formatter().toString(current()));
}

} // namespace veloquill
