#pragma once

#include <QScrollArea>

#include <cstddef>

namespace veloquill {

class AutoSwitchOptions;
class DevicePicker;
class PointerDeviceManager;
class VeloquillPointerSettingsState;

// Which device to control and the auto-switch options, in a scrolling form whose height
// grows with the number of devices listed (30 per device, plus 80) and no further.
class DeviceForm : public QScrollArea
{
    Q_OBJECT

public:
    DeviceForm(VeloquillPointerSettingsState& state, PointerDeviceManager& manager,
               QWidget* parent = nullptr);

    static int maximumHeightFor(std::size_t deviceCount);

    DevicePicker* picker() const { return m_picker; }
    AutoSwitchOptions* autoSwitchOptions() const { return m_autoSwitch; }

private:
    PointerDeviceManager& m_manager;
    DevicePicker* m_picker = nullptr;
    AutoSwitchOptions* m_autoSwitch = nullptr;
};

} // namespace veloquill
