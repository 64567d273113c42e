// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "views/pointer_controls_form.h"

#include "device/pointer_ranges.h"
#include "settings/veloquill_pointer_settings_state.h"
#include "views/pointer_curve_view.h"
#include "views/target_size.h"
#include "views/text_styles.h"
#include "views/value_slider_row.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEasingCurve>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

#include <algorithm>

namespace veloquill {

namespace {
using State = VeloquillPointerSettingsState;

constexpr BoundNumber kAcceleration{
    &State::currentPointerAcceleration, &State::setCurrentPointerAcceleration,
    &State::currentPointerAccelerationChanged, &State::pointerAccelerationFormatter};
constexpr BoundNumber kSpeed{&State::currentPointerSpeed, &State::setCurrentPointerSpeed,
                             &State::currentPointerSpeedChanged, &State::pointerSpeedFormatter};
// Speed is typed to three decimals, acceleration to two; both move a two-hundredth of their
// range for a fine step and a twentieth for a coarse one.
constexpr SliderScale kAccelerationRange{PointerRange::MinAcceleration,
                                         PointerRange::MaxAcceleration, 2, 0.1, 1.0};
constexpr SliderScale kSpeedRange{State::MinPointerSpeed, State::MaxPointerSpeed, 3, 0.01, 0.1};
constexpr BoundNumber kFactor{&State::precisionFactor, &State::setPrecisionFactor,
                              &State::precisionFactorChanged, &State::pointerSpeedFormatter};
constexpr SliderScale kFactorRange{State::MinPrecisionFactor, State::MaxPrecisionFactor, 2, 0.01,
                                   0.05};

// Rows that show and hide together; a group can be squeezed to nothing while it slides away.
QWidget* collapsibleRows(std::initializer_list<QWidget*> rows)
{
    auto* group = new QWidget;
    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    for (QWidget* row : rows)
        layout->addWidget(row);
    return group;
}

QPropertyAnimation* heightAnimation(QWidget* target, int from, int to)
{
    auto* animation = new QPropertyAnimation(target, "maximumHeight");
    animation->setDuration(PointerControlsForm::kSwapDurationMs);
    animation->setEasingCurve(QEasingCurve::InOutQuad);
    animation->setStartValue(from);
    animation->setEndValue(to);
    return animation;
}
} // namespace

QVBoxLayout* addFormSection(QBoxLayout* form, const QString& header)
{
    if (!header.isEmpty()) {
        auto* label = new QLabel(header);
        label->setTextFormat(Qt::PlainText);
        label->setFont(headlineFont());
        form->addWidget(label);
    }
    auto* panel = new QFrame;
    panel->setFrameShape(QFrame::StyledPanel);
    form->addWidget(panel);
    return new QVBoxLayout(panel);
}

QString accelerationHelpText()
{
    return QStringList{
        QCoreApplication::translate(
            "HelpTexts", "Pointer Acceleration controls how the cursor speed changes based on how "
                         "fast you move your mouse."),
        QString(),
        QCoreApplication::translate(
            "HelpTexts", "• Higher values (10-20): Cursor moves much faster when you move the "
                         "mouse quickly, but stays precise for slow movements"),
        QCoreApplication::translate(
            "HelpTexts", "• Lower values (0-5): More consistent speed regardless of how fast you "
                         "move the mouse"),
        QCoreApplication::translate("HelpTexts",
                                    "• Value of 0: Linear response with no acceleration"),
        QString(),
        QCoreApplication::translate(
            "HelpTexts", "When acceleration is enabled, it works together with Pointer Speed to "
                         "determine the overall cursor behavior. Fast mouse movements get "
                         "multiplied by the acceleration factor, while slow movements remain close "
                         "to the base speed setting."),
    }
        .join(QLatin1Char('\n'));
}

QString precisionFactorHelpText()
{
    return QStringList{
        QCoreApplication::translate(
            "HelpTexts", "Precision mode slows the pointer for a fine task: the selected device "
                         "moves at this fraction of its speed while it is on."),
        QString(),
        QCoreApplication::translate(
            "HelpTexts", "Switch it with the check box, the tray menu's \"Precision mode\" item, "
                         "or from anywhere with a key: in the desktop's keyboard shortcut "
                         "settings, add a custom shortcut that runs"),
        QStringLiteral("    veloquill --precision toggle"),
        QCoreApplication::translate(
            "HelpTexts", "It works on X11 and Wayland alike. Precision mode is off at every start "
                         "and is never stored; the fraction is stored with the device."),
    }
        .join(QLatin1Char('\n'));
}

QString speedHelpText()
{
    return QStringList{
        QCoreApplication::translate(
            "HelpTexts", "Pointer Speed sets the base sensitivity of your mouse cursor."),
        QString(),
        QCoreApplication::translate(
            "HelpTexts", "• Higher values (0.7-1.0): Cursor moves farther for each unit of mouse "
                         "movement"),
        QCoreApplication::translate(
            "HelpTexts", "• Lower values (0.1-0.3): More precise control, cursor moves shorter "
                         "distances"),
        QCoreApplication::translate(
            "HelpTexts",
            "• Very low values: Useful for detailed work like photo editing or design"),
        QString(),
        QCoreApplication::translate(
            "HelpTexts", "This setting determines the baseline cursor speed before acceleration is "
                         "applied. When acceleration is enabled, this acts as the foundation speed "
                         "that gets multiplied during fast movements."),
    }
        .join(QLatin1Char('\n'));
}

QString trackingSpeedHelpText()
{
    return QStringList{
        QCoreApplication::translate(
            "HelpTexts", "Tracking Speed controls cursor movement when acceleration is disabled."),
        QString(),
        QCoreApplication::translate("HelpTexts",
                                    "• Higher values (0.7-1.0): Faster cursor movement"),
        QCoreApplication::translate(
            "HelpTexts", "• Lower values (0.1-0.3): Slower, more precise cursor movement"),
        QCoreApplication::translate(
            "HelpTexts", "• This provides direct 1:1 mapping between mouse movement and cursor "
                         "movement"),
        QString(),
        QCoreApplication::translate(
            "HelpTexts", "When acceleration is disabled, this becomes the primary control for "
                         "cursor speed. Unlike when acceleration is enabled, the cursor speed "
                         "remains constant regardless of how fast you move the mouse."),
    }
        .join(QLatin1Char('\n'));
}

PointerControlsForm::PointerControlsForm(State& state, PointerDesktop desktop, QWidget* parent)
    : QWidget(parent), m_state(state)
{
    m_noDeviceNote = makeWrappedLabel(tr("Choose a device above to change its pointer settings."));
    m_disableAcceleration = new QCheckBox(tr("Disable pointer acceleration"));
    m_disableAcceleration->setMinimumHeight(kMinimumTargetSize);
    m_trackingSpeedRow = new ValueSliderRow(state, kSpeed, kSpeedRange, tr("Tracking speed"),
                                            tr("(0–1)"), trackingSpeedHelpText());
    m_accelerationRow =
        new ValueSliderRow(state, kAcceleration, kAccelerationRange, tr("Pointer acceleration"),
                           tr("(0–20)"), accelerationHelpText());
    m_speedRow = new ValueSliderRow(state, kSpeed, kSpeedRange, tr("Pointer speed"), tr("(0–1)"),
                                    speedHelpText());
    // Precision mode's texts keep the context they are translated in.
    m_precisionToggle = new QCheckBox(
        QCoreApplication::translate("veloquill::PrecisionControls", "Precision mode"));
    m_precisionToggle->setMinimumHeight(kMinimumTargetSize);
    m_precisionToggle->setToolTip(precisionFactorHelpText());
    m_factorRow = new ValueSliderRow(
        state, kFactor, kFactorRange,
        QCoreApplication::translate("veloquill::PrecisionControls", "Precision factor"),
        QCoreApplication::translate("veloquill::PrecisionControls", "(0.05–1)"),
        precisionFactorHelpText());
    m_boundNote = makeNote();
    QLabel* shortcutNote = makeNote(QCoreApplication::translate(
        "veloquill::PrecisionControls",
        "To switch it with a key anywhere, add a shortcut that runs \"veloquill --precision "
        "toggle\" in the desktop's keyboard shortcut settings."));
    m_precisionRows = collapsibleRows({m_factorRow, m_boundNote, shortcutNote});
    m_revert = new QPushButton(tr("Revert to system defaults"));
    m_revert->setMinimumSize(kMinimumTarget);
    m_revert->setAutoDefault(false);

    const int labelWidth =
        std::max({m_trackingSpeedRow->labelWidthHint(), m_accelerationRow->labelWidthHint(),
                  m_speedRow->labelWidthHint(), m_factorRow->labelWidthHint()});
    for (ValueSliderRow* row : {m_trackingSpeedRow, m_accelerationRow, m_speedRow, m_factorRow})
        row->setLabelWidth(labelWidth);

    // Said where the driver cannot take the curve Veloquill computes (X11 libinput before 1.23).
    m_speedShapesNote = makeNote(tr("On this system the speed shapes the acceleration rather "
                                    "than scaling slow motion; the curve below shows it."));
    m_speedShapesNote->setHidden(true);
    m_linearRows = collapsibleRows({m_trackingSpeedRow});
    if (desktop.accelerationAmount) {
        m_acceleratedRows = collapsibleRows({m_accelerationRow, m_speedRow, m_speedShapesNote});
    } else {
        // Moving it would change nothing on the device: say so rather than let it seem broken.
        // Its controls are closed where the device's limits are shown; its help stays open.
        m_accelerationNote = makeNote(tr("This desktop has no amount of acceleration apart from "
                                         "the speed: only the speed below applies."));
        m_acceleratedRows =
            collapsibleRows({m_accelerationRow, m_accelerationNote, m_speedRow, m_speedShapesNote});
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    QVBoxLayout* rows = addFormSection(layout);
    rows->addWidget(m_noDeviceNote);
    if (desktop.sharedByKind) {
        // Changing one device changes its kind's: the user should not learn that by surprise.
        m_sharedNote =
            makeNote(tr("GNOME gives one speed to every mouse and trackball, and one "
                        "to every touchpad: Veloquill sets it to the selected device's."));
        rows->addWidget(m_sharedNote);
    }
    m_deviceLimitsNote = makeWrappedLabel();
    // Two lines' room, kept while hidden: a lock or a refusal showing moves no control.
    m_deviceLimitsNote->setMinimumHeight(2 * m_deviceLimitsNote->fontMetrics().lineSpacing());
    rows->addWidget(m_deviceLimitsNote);
    rows->addWidget(m_disableAcceleration);
    rows->addWidget(m_linearRows);
    rows->addWidget(m_acceleratedRows);
    m_curve = new PointerCurveView(state, this);
    rows->addWidget(m_curve);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_revert);
    buttons->addWidget(m_precisionToggle);
    buttons->addStretch();
    rows->addLayout(buttons);
    rows->addWidget(m_precisionRows);
    // What comes and goes with the selected device keeps its room, so selecting a device, or
    // one with a curve, moves no control; so does precision mode's factor.
    for (QWidget* varying : {static_cast<QWidget*>(m_noDeviceNote), static_cast<QWidget*>(m_curve),
                             m_precisionRows, static_cast<QWidget*>(m_deviceLimitsNote)}) {
        QSizePolicy policy = varying->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        varying->setSizePolicy(policy);
    }

    m_disableAcceleration->setChecked(state.currentPointerDisableAcceleration());
    showRowsFor(state.currentPointerDisableAcceleration());
    showSelection(state.selectedDeviceID());

    // clicked comes only from the user, so showing the state never writes it back.
    connect(m_precisionToggle, &QCheckBox::clicked, &state, &State::setPrecisionMode);
    for (const auto changed : {&State::precisionFactorChanged, &State::currentPointerSpeedChanged})
        connect(&state, changed, this, &PointerControlsForm::showPrecision);
    connect(&state, &State::precisionModeChanged, this, &PointerControlsForm::showPrecision);
    connect(&state, &State::selectedDeviceIDChanged, this, &PointerControlsForm::showPrecision);
    showPrecision();

    // clicked, unlike toggled, comes only from the user, so showing the state's value never
    // writes it back.
    connect(m_disableAcceleration, &QCheckBox::clicked, this, [this](bool checked) {
        m_toggledByUser = true;
        m_state.setCurrentPointerDisableAcceleration(checked);
        m_toggledByUser = false;
    });
    connect(&state, &State::currentPointerDisableAccelerationChanged, this, [this](bool disabled) {
        m_disableAcceleration->setChecked(disabled);
        showRowsFor(disabled);
    });
    connect(m_revert, &QPushButton::clicked, &state, &State::revertPointerSpeed);
    connect(&state, &State::selectedDeviceIDChanged, this, &PointerControlsForm::showSelection);
    connect(&state, &State::deviceLimitsChanged, this, &PointerControlsForm::showDeviceLimits);
}

void PointerControlsForm::showSelection(const std::optional<QString>& selectedDeviceID)
{
    // Without a device the values would belong to nothing: they wait for a choice.
    const bool chosen = selectedDeviceID.has_value();
    m_noDeviceNote->setHidden(chosen);
    m_revert->setEnabled(chosen);
    showDeviceLimits();
    // The curve has read the device's model already: it was told of the selection first.
    m_speedShapesNote->setHidden(!m_curve->speedShapesAcceleration());
}

void PointerControlsForm::showDeviceLimits()
{
    const bool chosen = m_state.selectedDeviceID().has_value();
    const State::DeviceLimits limits = m_state.selectedDeviceLimits();
    const bool acceleration = limits.hasAcceleration && !limits.accelerationLocked;
    m_trackingSpeedRow->setControlsEnabled(chosen && !limits.speedLocked);
    m_speedRow->setControlsEnabled(chosen && !limits.speedLocked);
    // Precision mode only slows the speed.
    m_precisionToggle->setEnabled(chosen && !limits.speedLocked);
    m_factorRow->setControlsEnabled(chosen && !limits.speedLocked);
    m_disableAcceleration->setEnabled(chosen && acceleration);
    m_accelerationRow->setControlsEnabled(chosen && acceleration && !m_accelerationNote);

    QStringList lines;
    if (limits.speedLocked)
        lines << tr("Pointer speed: Locked by your administrator.");
    if (limits.accelerationLocked)
        lines << tr("Pointer acceleration: Locked by your administrator.");
    else if (!limits.hasAcceleration)
        lines << tr("This device has no pointer acceleration: only its speed can be set.");
    if (!m_state.refusal().isEmpty())
        lines << m_state.refusal();
    const QString text = lines.join(QLatin1Char('\n'));
    m_deviceLimitsNote->setText(text);
    m_deviceLimitsNote->setAccessibleName(text);
    m_deviceLimitsNote->setHidden(text.isEmpty());
}

void PointerControlsForm::showPrecision()
{
    const bool on = m_state.precisionMode();
    m_precisionToggle->setChecked(on);
    // The factor matters only while precision mode is on; off, it takes no room.
    m_precisionRows->setVisible(on);
    const double factor = m_state.precisionFactor();
    const double inEffect = m_state.precisionFactorInEffect();
    const bool bounded = m_state.selectedDeviceID() && inEffect > factor + 1e-9;
    const DecimalFormatter& format = m_state.pointerSpeedFormatter();
    m_boundNote->setText(
        QCoreApplication::translate(
            "veloquill::PrecisionControls",
            "The device cannot go slower than its slowest setting: in precision mode "
            "the pointer moves at %1× its speed instead of %2×.")
            .arg(format.toString(inEffect), format.toString(factor)));
    m_boundNote->setVisible(bounded);
    m_precisionToggle->setAccessibleName(
        QCoreApplication::translate("veloquill::PrecisionControls", "Precision mode, %1× speed")
            .arg(format.toString(bounded ? inEffect : factor)));
}

void PointerControlsForm::showRowsFor(bool accelerationDisabled)
{
    QWidget* incoming = accelerationDisabled ? m_linearRows : m_acceleratedRows;
    QWidget* outgoing = accelerationDisabled ? m_acceleratedRows : m_linearRows;
    // The state announces every assignment: one of the value already being shown leaves
    // the swap under way alone; a swap back first ends where it was heading.
    if (m_swap && m_outgoing == outgoing)
        return;
    if (m_swap) {
        m_swap->stop();
        finishSwap();
    }
    if (!m_toggledByUser || !isVisible() || incoming->isVisible()) {
        outgoing->hide();
        incoming->show();
        return;
    }

    const int targetHeight = incoming->sizeHint().height();
    incoming->setMaximumHeight(0);
    incoming->show();
    auto* group = new QParallelAnimationGroup(this);
    group->addAnimation(heightAnimation(outgoing, outgoing->height(), 0));
    group->addAnimation(heightAnimation(incoming, 0, targetHeight));
    connect(group, &QAbstractAnimation::finished, this, &PointerControlsForm::finishSwap);
    m_swap = group;
    m_outgoing = outgoing;
    group->start();
}

void PointerControlsForm::finishSwap()
{
    if (!m_swap)
        return;
    m_outgoing->hide();
    m_linearRows->setMaximumHeight(QWIDGETSIZE_MAX);
    m_acceleratedRows->setMaximumHeight(QWIDGETSIZE_MAX);
    m_swap->deleteLater();
    m_swap = nullptr;
}

} // namespace veloquill
