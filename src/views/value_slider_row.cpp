// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "views/value_slider_row.h"

#include "settings/veloquill_pointer_settings_state.h"
#include "views/accessible_style.h"
#include "views/help_button.h"
#include "views/target_size.h"
#include "views/text_styles.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyleOptionSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <utility>

namespace veloquill {

namespace {
// The slider as screen readers hear it: a value, range and step in the units shown.
class FineSliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    FineSliderAccessible(FineSlider* slider, QAccessible::Role role)
        : QAccessibleWidget(slider, role)
    {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return QLocale().toString(slider()->scaledValue());
        return QAccessibleWidget::text(kind);
    }

    QVariant currentValue() const override { return slider()->scaledValue(); }
    void setCurrentValue(const QVariant& value) override { slider()->moveTo(value.toDouble()); }
    QVariant maximumValue() const override { return slider()->scale().maximum; }
    QVariant minimumValue() const override { return slider()->scale().minimum; }
    QVariant minimumStepSize() const override { return slider()->scale().fineStep; }

private:
    FineSlider* slider() const { return static_cast<FineSlider*>(widget()); }
};

constexpr int kLabelSpacing = 4;

QLabel* plainLabel(const QString& text)
{
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    return label;
}
} // namespace

int SliderScale::positions() const
{
    return static_cast<int>(std::lround((maximum - minimum) * std::pow(10.0, fractionDigits)));
}

int SliderScale::positionFor(double value) const
{
    const double position = (value - minimum) / (maximum - minimum) * positions();
    if (!std::isfinite(position))
        return 0;
    return static_cast<int>(std::lround(std::clamp(position, 0.0, double(positions()))));
}

double SliderScale::valueAt(int position) const
{
    // Divided last, so that a position gives the shortest decimal of its value (600 of 1000
    // is 0.6, not 0.6000000000000001).
    return minimum + (maximum - minimum) * position / positions();
}

FineSlider::FineSlider(const SliderScale& scale, QWidget* parent)
    : QSlider(Qt::Horizontal, parent), m_scale(scale)
{
    installAccessibleRole<FineSlider, QAccessible::Slider, FineSliderAccessible>();

    const auto positionsIn = [&](double step) {
        return std::max(1, m_scale.positionFor(m_scale.minimum + step));
    };
    setRange(0, m_scale.positions());
    setSingleStep(positionsIn(m_scale.fineStep));
    setPageStep(positionsIn(m_scale.coarseStep));
    // The handle's size is the style's; the whole strip around it takes clicks.
    setMinimumHeight(kMinimumTargetSize);
}

void FineSlider::moveTo(double value)
{
    setValue(m_scale.positionFor(value));
}

void FineSlider::mousePressEvent(QMouseEvent* event)
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect handle =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    const QPoint click = event->position().toPoint();
    if (handle.contains(click)) {
        // Held, not yet dragged: a hand that shakes a pixel or two moves nothing.
        m_handlePress = click;
        m_holdOffset = click.x() - handle.x();
        m_dragging = false;
        event->accept();
        return;
    }
    // Towards the click by one fine step, whatever the button and whatever the style would
    // otherwise do (a page, or a jump to the spot).
    const QPoint offset = click - handle.center();
    const bool towardsEnd = orientation() == Qt::Horizontal ? offset.x() > 0 : offset.y() > 0;
    triggerAction(towardsEnd != option.upsideDown ? SliderSingleStepAdd : SliderSingleStepSub);
    event->accept();
}

void FineSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_handlePress) {
        QSlider::mouseMoveEvent(event);
        return;
    }
    event->accept();
    const QPoint at = event->position().toPoint();
    if (!m_dragging && (at - *m_handlePress).manhattanLength() < QApplication::startDragDistance())
        return;
    if (!m_dragging) {
        m_dragging = true;
        setSliderDown(true);
    }
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const QRect handle =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    const int span = groove.width() - handle.width();
    const int position = QStyle::sliderValueFromPosition(
        minimum(), maximum(), at.x() - m_holdOffset - groove.x(), span, option.upsideDown);
    // Dragged values stay on fine steps, like those of the buttons and keys.
    const int step = singleStep();
    const int onStep =
        minimum() + static_cast<int>(std::lround(double(position - minimum()) / step)) * step;
    setSliderPosition(std::clamp(onStep, minimum(), maximum()));
}

void FineSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_handlePress) {
        QSlider::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    m_handlePress.reset();
    if (std::exchange(m_dragging, false))
        setSliderDown(false);
}

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
