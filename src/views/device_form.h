// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QWidget>

class QScrollArea;

namespace veloquill {

class AutoSwitchOptions;
class DevicePicker;
class PointerDeviceManager;
class VeloquillPointerSettingsState;

// Which device to control and the auto-switch options. The device list takes the height of
// its rows, so that up to kDevicesShownWhole devices and the auto-switch options are all in
// view at once; only a longer list scrolls, inside its own section.
class DeviceForm : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kDevicesShownWhole = 5;

    DeviceForm(VeloquillPointerSettingsState& state, PointerDeviceManager& manager,
               QWidget* parent = nullptr);

    DevicePicker* picker() const { return m_picker; }
    QScrollArea* pickerArea() const { return m_pickerArea; }
    AutoSwitchOptions* autoSwitchOptions() const { return m_autoSwitch; }

    // Keeps the room of kDevicesShownWhole devices while fewer are listed, so that a device
    // arriving or leaving moves nothing below the list (where the controls stand under it).
    void setRoomKeptForEveryRow(bool kept);

private:
    void fitPickerArea();

    DevicePicker* m_picker = nullptr;
    QScrollArea* m_pickerArea = nullptr;
    AutoSwitchOptions* m_autoSwitch = nullptr;
    bool m_roomKept = false;
};

} // namespace veloquill
