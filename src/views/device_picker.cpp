#include "views/device_picker.h"

#include "device/pointer_device_manager.h"
#include "settings/veloquill_pointer_settings_state.h"
#include "views/plain_text.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

namespace veloquill {

namespace {
using State = VeloquillPointerSettingsState;
} // namespace

DevicePicker::DevicePicker(State& state, PointerDeviceManager& manager, QWidget* parent)
    : QWidget(parent), m_state(state), m_manager(manager)
{
    setAccessibleName(QStringLiteral("Selected Device"));
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_group = new QButtonGroup(this);
    rebuild();

    // idClicked comes only from the user (mouse, Space, arrow keys): checking a row to show
    // the state's selection never writes it back.
    connect(m_group, &QButtonGroup::idClicked, this, [this](int id) {
        m_state.setSelectedDeviceID(m_selections.at(static_cast<std::size_t>(id)));
    });
    connect(&state, &State::selectedDeviceIDChanged, this, &DevicePicker::showSelection);
    connect(&manager, &PointerDeviceManager::devicesChanged, this, &DevicePicker::rebuild);
}

QList<QAbstractButton*> DevicePicker::choices() const
{
    QList<QAbstractButton*> rows;
    for (std::size_t id = 0; id < m_selections.size(); ++id)
        rows.append(m_group->button(static_cast<int>(id)));
    return rows;
}

std::optional<QString> DevicePicker::selectionOf(const QAbstractButton* choice) const
{
    const int id = m_group->id(const_cast<QAbstractButton*>(choice));
    if (id < 0)
        return std::nullopt;
    return m_selections.at(static_cast<std::size_t>(id));
}

void DevicePicker::rebuild()
{
    for (QAbstractButton* choice : choices()) {
        m_group->removeButton(choice);
        delete choice;
    }
    m_selections.clear();

    addChoice(QStringLiteral("None (No device selected)"), std::nullopt);
    // Names come from the devices: shown as written, never as markup or a shortcut.
    for (const PointerDeviceRef& device : m_manager.devices())
        addChoice(literalButtonText(device->name()), device->stableID());
    showSelection(m_state.selectedDeviceID());
}

void DevicePicker::addChoice(const QString& text, std::optional<QString> selection)
{
    auto* choice = new QRadioButton(text);
    m_group->addButton(choice, static_cast<int>(m_selections.size()));
    m_selections.push_back(std::move(selection));
    m_layout->addWidget(choice);
}

void DevicePicker::showSelection(const std::optional<QString>& selectedDeviceID)
{
    for (std::size_t id = 0; id < m_selections.size(); ++id) {
        if (m_selections[id] == selectedDeviceID) {
            m_group->button(static_cast<int>(id))->setChecked(true);
            return;
        }
    }
    // A remembered device that is not plugged in: no row is chosen.
    if (QAbstractButton* checked = m_group->checkedButton()) {
        m_group->setExclusive(false);
        checked->setChecked(false);
        m_group->setExclusive(true);
    }
}

} // namespace veloquill
