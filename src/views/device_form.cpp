#include "views/device_form.h"

#include "device/pointer_device_manager.h"
#include "views/auto_switch_options.h"
#include "views/device_picker.h"
#include "views/form_section.h"

#include <QVBoxLayout>

namespace veloquill {

namespace {
constexpr int kHeightPerDevice = 30;
constexpr int kFixedHeight = 80;
} // namespace

DeviceForm::DeviceForm(VeloquillPointerSettingsState& state, PointerDeviceManager& manager,
                       QWidget* parent)
    : QScrollArea(parent), m_manager(manager)
{
    m_picker = new DevicePicker(state, manager);
    auto* pickerSection = new FormSection(QStringLiteral("Select Device to Control"));
    pickerSection->rows()->addWidget(m_picker);

    m_autoSwitch = new AutoSwitchOptions(state);
    auto* autoSwitchSection = new FormSection(QStringLiteral("Auto-Switch Settings"));
    autoSwitchSection->rows()->addWidget(m_autoSwitch);

    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pickerSection);
    layout->addWidget(autoSwitchSection);
    layout->addStretch();

    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidget(page);

    setMaximumHeight(maximumHeightFor(manager.devices().size()));
    connect(&manager, &PointerDeviceManager::devicesChanged, this,
            [this] { setMaximumHeight(maximumHeightFor(m_manager.devices().size())); });
}

int DeviceForm::maximumHeightFor(std::size_t deviceCount)
{
    return kHeightPerDevice * static_cast<int>(deviceCount) + kFixedHeight;
}

} // namespace veloquill
