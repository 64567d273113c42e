// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "views/device_form.h"

#include "views/auto_switch_options.h"
#include "views/device_picker.h"
#include "views/form_section.h"

#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

namespace veloquill {

DeviceForm::DeviceForm(VeloquillPointerSettingsState& state, PointerDeviceManager& manager,
                       QWidget* parent)
    : QWidget(parent)
{
    m_picker = new DevicePicker(state, manager);
    m_pickerArea = new QScrollArea;
    m_pickerArea->setFrameShape(QFrame::NoFrame);
    // The rows are the Tab stops; the area around them is not one of its own.
    m_pickerArea->setFocusPolicy(Qt::NoFocus);
    m_pickerArea->setWidgetResizable(true);
    m_pickerArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pickerArea->setWidget(m_picker);
    auto* pickerSection = new FormSection(tr("Select Device to Control"));
    pickerSection->rows()->addWidget(m_pickerArea);

    m_autoSwitch = new AutoSwitchOptions(state);
    auto* autoSwitchSection = new FormSection(tr("Auto-Switch Settings"));
    autoSwitchSection->rows()->addWidget(m_autoSwitch);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pickerSection);
    layout->addWidget(autoSwitchSection);

    fitPickerArea();
    connect(m_picker, &DevicePicker::rowsChanged, this, &DeviceForm::fitPickerArea);
}

void DeviceForm::setRoomKeptForEveryRow(bool kept)
{
    m_roomKept = kept;
    fitPickerArea();
}

void DeviceForm::fitPickerArea()
{
    // "None" and the first devices, whole; a longer list scrolls.
    const int shown = m_picker->heightOfRows(1 + kDevicesShownWhole);
    m_pickerArea->setFixedHeight(m_roomKept ? shown
                                            : std::min(m_picker->sizeHint().height(), shown));
}

} // namespace veloquill
