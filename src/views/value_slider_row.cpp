// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "views/value_slider_row.h"

#include "settings/veloquill_pointer_settings_state.h"
#include "views/help_button.h"
#include "views/target_size.h"
#include "views/text_styles.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

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
                               SliderScale range, const QString& title, const QString& rangeCaption,
                               const QString& helpText, QWidget* parent)
    : QWidget(parent), m_state(state), m_number(number)
{
    auto* titleLabel = plainLabel(title);
    auto* caption = plainLabel(rangeCaption);
    caption->setFont(captionFont());
    makeSecondary(caption);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(0);
    titles->addWidget(titleLabel);
    titles->addWidget(caption);
    m_helpButton = new HelpButton(title, helpText);
    m_label = new QWidget;
    auto* label = new QHBoxLayout(m_label);
    label->setContentsMargins(0, 0, 0, 0);
    label->setSpacing(kLabelSpacing);
    label->addLayout(titles);
    label->addWidget(m_helpButton, 0, Qt::AlignTop);
    label->addStretch();

    m_slider = new FineSlider(range);
    m_slider->setAccessibleName(title);
    m_decrease = stepButton(QStringLiteral("−"), tr("Decrease %1").arg(title),
                            QAbstractSlider::SliderSingleStepSub);
    m_increase = stepButton(QStringLiteral("+"), tr("Increase %1").arg(title),
                            QAbstractSlider::SliderSingleStepAdd);

    m_field = new QLineEdit;
    m_field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_field->setFixedWidth(kFieldWidth);
    m_field->setMinimumHeight(kMinimumTargetSize);
    m_field->setAccessibleName(title);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_label);
    layout->addWidget(m_decrease);
    layout->addWidget(m_slider, 1);
    layout->addWidget(m_increase);
    layout->addWidget(m_field);

    showValue(current());
    connect(m_slider, &QSlider::valueChanged, this, &ValueSliderRow::commitSliderPosition);
    connect(m_field, &QLineEdit::editingFinished, this, &ValueSliderRow::commitTypedText);
    connect(&m_state, m_number.changed, this, &ValueSliderRow::showValue);
}

QPushButton* ValueSliderRow::stepButton(const QString& symbol, const QString& name,
                                        QAbstractSlider::SliderAction action)
{
    auto* button = new QPushButton(symbol);
    button->setFixedSize(kMinimumTarget);
    button->setAutoDefault(false);
    button->setAccessibleName(name);
    // Through the slider, as an arrow key would: bounded by its range, written as it moves.
    connect(button, &QPushButton::clicked, m_slider,
            [this, action] { m_slider->triggerAction(action); });
    return button;
}

void ValueSliderRow::setControlsEnabled(bool enabled)
{
    for (QWidget* control : {static_cast<QWidget*>(m_slider), static_cast<QWidget*>(m_decrease),
                             static_cast<QWidget*>(m_increase), static_cast<QWidget*>(m_field)})
        control->setEnabled(enabled);
}

void ValueSliderRow::commitSliderPosition(int position)
{
    (m_state.*m_number.set)(m_slider->scale().valueAt(position));
}

int ValueSliderRow::labelWidthHint() const
{
    return m_label->sizeHint().width();
}

void ValueSliderRow::setLabelWidth(int width)
{
    m_label->setFixedWidth(width);
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
        m_slider->setValue(m_slider->scale().positionFor(value));
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
