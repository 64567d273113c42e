// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "views/pointer_control_view.h"

#include "device/pointer_device_manager.h"
#include "settings/keep_or_go_back.h"
#include "settings/veloquill_pointer_settings_state.h"
#include "support/log.h"
#include "views/device_picker.h"
#include "views/keep_or_go_back_bar.h"
#include "views/pointer_controls_form.h"
#include "views/target_size.h"
#include "views/text_styles.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QCoreApplication>
#include <QCursor>
#include <QFrame>
#include <QGraphicsOpacityEffect>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace veloquill {

namespace {
constexpr int kHeadingGap = 5;
constexpr int kDividerGap = 5;
constexpr int kRowPadding = 4;
// Wide enough for each column's rows without wrapping their labels.
constexpr int kDevicesColumnWidth = 420;
constexpr int kControlsColumnWidth = 560;

QLabel* heading(const QString& text)
{
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setFont(titleFont());
    return label;
}

// Puts the widget inside the standard margins on the sides only.
QWidget* horizontallyPadded(QWidget* content, int padding)
{
    auto* frame = new QWidget;
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(padding, 0, padding, 0);
    layout->addWidget(content);
    return frame;
}
} // namespace

PointerControlView::PointerControlView(VeloquillPointerSettingsState& state,
                                       PointerDeviceManager& manager, KeepOrGoBack* keepOrGoBack,
                                       QWidget* parent)
    : QWidget(parent), m_state(state), m_manager(manager)
{
    const int padding = style()->pixelMetric(QStyle::PM_LayoutLeftMargin);

    m_noDevices = new QLabel(tr("No pointer devices detected."));
    m_noDevices->setContentsMargins(padding, padding, padding, padding);
    makeSecondary(m_noDevices);
    m_picker = new DevicePicker(state, manager);
    m_pickerArea = new QScrollArea;
    m_pickerArea->setFrameShape(QFrame::NoFrame);
    // The rows are the Tab stops; the area around them is not one of its own.
    m_pickerArea->setFocusPolicy(Qt::NoFocus);
    m_pickerArea->setWidgetResizable(true);
    m_pickerArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pickerArea->setWidget(m_picker);
    m_deviceArea = new QWidget;
    auto* deviceLayout = new QVBoxLayout(m_deviceArea);
    deviceLayout->setContentsMargins(padding, 0, padding, 0);
    // Their strings keep the context of the form they were written for.
    addFormSection(deviceLayout,
                   QCoreApplication::translate("veloquill::DeviceForm", "Select Device to Control"))
        ->addWidget(m_pickerArea);
    addFormSection(deviceLayout,
                   QCoreApplication::translate("veloquill::DeviceForm", "Auto-Switch Settings"))
        ->addLayout(autoSwitchRows(state));

    auto* divider = new QFrame;
    divider->setFrameShadow(QFrame::Sunken);

    auto* controlsHeading = heading(tr("Pointer Controls"));
    controlsHeading->setContentsMargins(padding, padding, padding, padding);
    m_controls = new PointerControlsForm(
        state, {manager.supportsAccelerationAmount(), manager.settingsSharedByKind()});

    // Side by side where the screen is wide enough, so that every control of the selected
    // device is on screen at once; one above the other otherwise.
    const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const int bothWide = kDevicesColumnWidth + kControlsColumnWidth + 4 * padding;
    m_sideBySide = screen && bothWide <= screen->availableGeometry().width() * 9 / 10;

    auto* devices = new QVBoxLayout;
    devices->addWidget(heading(tr("Detected Pointer Devices")), 0, Qt::AlignHCenter);
    devices->addSpacing(kHeadingGap);
    devices->addWidget(m_noDevices, 0, Qt::AlignHCenter);
    devices->addWidget(m_deviceArea);
    // Side by side, the devices grow into the room under them as they arrive.
    if (m_sideBySide)
        devices->addStretch();
    auto* controls = new QVBoxLayout;
    controls->addWidget(controlsHeading, 0, Qt::AlignHCenter);
    if (keepOrGoBack) {
        // In room kept for it, so its coming and going moves nothing: beside the controls
        // under the devices where the columns stand side by side, else above the controls. Scrolled
        // into view when it asks, with the control being changed.
        m_keepOrGoBack = new KeepOrGoBackBar(*keepOrGoBack, state);
        (m_sideBySide ? devices : controls)->addWidget(horizontallyPadded(m_keepOrGoBack, padding));
        connect(keepOrGoBack, &KeepOrGoBack::askingChanged, this, [this](bool asking) {
            if (asking)
                QTimer::singleShot(0, this, &PointerControlView::revealKeepOrGoBack);
        });
    }
    controls->addWidget(horizontallyPadded(m_controls, padding));

    auto* devicesColumn = new QWidget;
    devicesColumn->setLayout(devices);
    auto* controlsColumn = new QWidget;
    controlsColumn->setLayout(controls);
    for (QVBoxLayout* column : {devices, controls})
        column->setContentsMargins(0, 0, 0, 0);
    if (m_sideBySide) {
        devicesColumn->setMinimumWidth(kDevicesColumnWidth);
        controlsColumn->setMinimumWidth(kControlsColumnWidth);
    }
    auto* layout =
        new QBoxLayout(m_sideBySide ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, this);
    const int stretch = m_sideBySide ? 1 : 0;
    layout->addWidget(devicesColumn, stretch);
    divider->setFrameShape(m_sideBySide ? QFrame::VLine : QFrame::HLine);
    layout->addSpacing(kDividerGap);
    layout->addWidget(divider);
    layout->addSpacing(kDividerGap);
    layout->addWidget(controlsColumn, stretch);
    (m_sideBySide ? controls : layout)->addStretch();

    fitPickerArea();
    connect(m_picker, &DevicePicker::rowsChanged, this, &PointerControlView::fitPickerArea);
    showDeviceArea();
    connect(&manager, &PointerDeviceManager::devicesChanged, this,
            &PointerControlView::showDeviceArea);
    connect(&state, &VeloquillPointerSettingsState::selectedDeviceIDChanged, this,
            &PointerControlView::showDeviceArea);
}

void PointerControlView::revealKeepOrGoBack()
{
    // Laid out by now; a window that scrolls its content scrolls the question into view, and
    // then the control being changed, so the two are seen together where they fit.
    for (QWidget* up = parentWidget(); up; up = up->parentWidget()) {
        if (auto* area = qobject_cast<QScrollArea*>(up)) {
            area->ensureWidgetVisible(m_keepOrGoBack);
            if (QWidget* focused = window()->focusWidget(); focused && isAncestorOf(focused))
                area->ensureWidgetVisible(focused);
            return;
        }
    }
}

void PointerControlView::showDeviceArea()
{
    const bool noDevices = m_manager.devices().empty();
    m_noDevices->setVisible(noDevices);
    // A selected device that is gone for a moment (its desktop restarting) keeps its
    // "(not connected)" row in view, so the list still says whose settings these are.
    m_deviceArea->setVisible(!noDevices || m_state.selectedDeviceID().has_value());
}

void PointerControlView::fitPickerArea()
{
    // "None" and the first devices, whole; a longer list scrolls. One above the other, the
    // controls stand under the devices: the list keeps the room of kDevicesShownWhole devices
    // while fewer are listed, so that a device arriving or leaving moves nothing below it.
    const int shown = m_picker->heightOfRows(1 + kDevicesShownWhole);
    m_pickerArea->setFixedHeight(m_sideBySide ? std::min(m_picker->sizeHint().height(), shown)
                                              : shown);
}

QLayout* PointerControlView::autoSwitchRows(VeloquillPointerSettingsState& state)
{
    // The auto-switch options' texts keep the context they are translated in.
    m_autoSwitchToggle = new QCheckBox(QCoreApplication::translate(
        "veloquill::AutoSwitchOptions", "Auto-switch to preferred device when connected"));
    m_autoSwitchToggle->setMinimumHeight(kMinimumTargetSize);
    auto* nameLabel = new QLabel(
        QCoreApplication::translate("veloquill::AutoSwitchOptions", "Preferred device name:"));
    m_nameField = new QLineEdit;
    m_nameField->setPlaceholderText(
        QCoreApplication::translate("veloquill::AutoSwitchOptions", "Device name"));
    m_nameField->setAccessibleName(
        QCoreApplication::translate("veloquill::AutoSwitchOptions", "Preferred device name"));
    m_nameField->setMinimumHeight(kMinimumTargetSize);
    nameLabel->setBuddy(m_nameField);
    m_nameRow = new QWidget;
    auto* nameRowLayout = new QHBoxLayout(m_nameRow);
    nameRowLayout->setContentsMargins(0, kRowPadding, 0, kRowPadding);
    nameRowLayout->addWidget(nameLabel);
    nameRowLayout->addWidget(m_nameField, 1);
    m_nameRowOpacity = new QGraphicsOpacityEffect(m_nameRow);
    m_nameRow->setGraphicsEffect(m_nameRowOpacity);
    auto* autoSwitch = new QVBoxLayout;
    autoSwitch->setContentsMargins(0, kRowPadding, 0, 0);
    autoSwitch->setSpacing(2 * kRowPadding);
    autoSwitch->addWidget(m_autoSwitchToggle);
    autoSwitch->addWidget(m_nameRow);
    showAutoSwitch(state.autoSwitchToNewDevices());
    showPreferredName(state.preferredDeviceName());
    // clicked and textEdited come only from the user: showing the state's values never
    // writes them back.
    connect(m_autoSwitchToggle, &QCheckBox::clicked, &state,
            &VeloquillPointerSettingsState::setAutoSwitchToNewDevices);
    connect(&state, &VeloquillPointerSettingsState::autoSwitchToNewDevicesChanged, this,
            &PointerControlView::showAutoSwitch);
    connect(m_nameField, &QLineEdit::textEdited, &state,
            &VeloquillPointerSettingsState::setPreferredDeviceName);
    connect(&state, &VeloquillPointerSettingsState::preferredDeviceNameChanged, this,
            &PointerControlView::showPreferredName);
    return autoSwitch;
}

void PointerControlView::showAutoSwitch(bool enabled)
{
    m_autoSwitchToggle->setChecked(enabled);
    m_nameRow->setEnabled(enabled);
    m_nameRowOpacity->setOpacity(enabled ? 1.0 : kDisabledOpacity);
}

void PointerControlView::showPreferredName(const QString& name)
{
    // Replacing equal text would move the cursor to the end under the user's typing.
    if (m_nameField->text() != name)
        m_nameField->setText(name);
}

void PointerControlView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // A window coming back from being minimised was on screen all along.
    if (!event->spontaneous()) {
        m_picker->focusSelection();
        scheduleDeviceSelection();
    }
}

void PointerControlView::scheduleDeviceSelection()
{
    logLine(QStringLiteral("PointerControlView.onAppear: Called."));
    // Runs even when the view is gone by then: the settings window rebuilds its content on
    // every bringToFront, and the selection must still be made.
    const QPointer<PointerDeviceManager> manager(&m_manager);
    const QPointer<PointerControlView> view(this);
    VeloquillPointerSettingsState* state = &m_state;
    QTimer::singleShot(kAppearanceDelayMs, state, [state, manager, view] {
        const QString prefix = QStringLiteral("PointerControlView.onAppear (asyncAfter): ");
        const std::size_t count = manager ? manager->devices().size() : 0;
        logLine(prefix + QStringLiteral("Current PKM devices: ") + QString::number(count));
        if (!state->isLoaded()) {
            logLine(prefix + QStringLiteral("settingsState not yet initialized. This might be an "
                                            "issue."));
            return;
        }
        logLine(prefix +
                QStringLiteral("Calling settingsState.ensureDeviceSelectionAndLoadSettings()"));
        state->ensureDeviceSelectionAndLoadSettings();
        // The keyboard follows the device just selected.
        if (view)
            view->m_picker->focusSelection();
    });
}

} // namespace veloquill
