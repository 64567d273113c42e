// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "views/device_picker.h"

#include "device/pointer_device_manager.h"
#include "settings/veloquill_pointer_settings_state.h"
#include "support/log.h"
#include "views/target_size.h"
#include "views/text_styles.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace veloquill {

namespace {
using State = VeloquillPointerSettingsState;

// Device names are shown as written, never read as rich text, a mnemonic or a format string,
// and heard as log lines write them (escapedForLog): line breaks, other control characters and
// bidirectional formatting characters as visible escapes (\n, \u202e), so that a name cannot
// break a row in two or turn the text after it around. On a button every '&' shows rather than
// marks a shortcut, and the name is one isolated run of its own direction (U+2068 … U+2069): a
// name written right to left keeps its own order without reordering what follows it.
QString literalButtonText(QString text)
{
    text.replace(QLatin1Char('&'), QLatin1String("&&"));
    return QChar(0x2068) + escapedForLog(text) + QChar(0x2069);
}
} // namespace

DevicePicker::DevicePicker(State& state, PointerDeviceManager& manager, QWidget* parent)
    : QWidget(parent), m_state(state), m_manager(manager)
{
    setAccessibleName(tr("Selected Device"));
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_group = new QButtonGroup(this);
    // Checked and not choosable, but readable: its text is dimmed, not disabled.
    m_disconnected = new QRadioButton;
    m_disconnected->setMinimumHeight(kMinimumTargetSize);
    makeSecondary(m_disconnected);
    m_disconnected->hide();
    m_group->addButton(m_disconnected); // a negative id of its own
    rebuild();

    // Toggled, not clicked: a screen reader's toggle action checks a row without a click.
    // Checking a row to show the state's selection never writes it back.
    connect(m_group, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked && id >= 0 && !m_showingSelection)
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

QAbstractButton* DevicePicker::disconnectedSelection() const
{
    return m_disconnected->isHidden() ? nullptr : m_disconnected;
}

int DevicePicker::heightOfRows(int count) const
{
    int height = 0;
    int rows = 0;
    int lastRow = 0;
    for (int i = 0; i < m_layout->count() && rows < count; ++i) {
        QLayoutItem* item = m_layout->itemAt(i);
        if (!item->widget() || item->widget()->isHidden())
            continue;
        // As the layout gives it: at least its minimum height.
        height += (rows++ > 0 ? m_layout->spacing() : 0) + item->sizeHint().height();
        lastRow = item->sizeHint().height();
    }
    // Rows not listed yet take the height of the last one ("None" is always there).
    if (rows > 0 && rows < count)
        height += (count - rows) * (m_layout->spacing() + lastRow);
    const QMargins margins = m_layout->contentsMargins();
    return height + margins.top() + margins.bottom();
}

void DevicePicker::focusSelection()
{
    const QWidget* focused = window()->focusWidget();
    if (focused && !isAncestorOf(focused))
        return;
    if (QAbstractButton* row = m_group->checkedButton())
        row->setFocus(Qt::OtherFocusReason);
}

void DevicePicker::rebuild()
{
    for (QAbstractButton* choice : choices()) {
        m_group->removeButton(choice);
        delete choice;
    }
    m_selections.clear();

    addChoice(tr("None (No device selected)"), std::nullopt);
    // Identical devices share one record: one row, with how many of them are here.
    const std::vector<PointerDeviceRef>& devices = m_manager.devices();
    for (auto it = devices.begin(); it != devices.end(); ++it) {
        const QString stableID = (*it)->stableID();
        const auto sameRecord = [&](const PointerDeviceRef& d) {
            return d->stableID() == stableID;
        };
        if (std::any_of(devices.begin(), it, sameRecord))
            continue;
        addChoice((*it)->name(), stableID,
                  static_cast<int>(std::count_if(it, devices.end(), sameRecord)));
    }
    // Below the connected ones.
    m_layout->removeWidget(m_disconnected);
    m_layout->addWidget(m_disconnected);
    showSelection(m_state.selectedDeviceID());
    Q_EMIT rowsChanged();
}

void DevicePicker::addChoice(const QString& name, std::optional<QString> selection, int count)
{
    // Names come from the devices: shown as written, never as markup or a shortcut, and
    // heard without the marks that isolate them on screen.
    const auto counted = [&](const QString& text) {
        return count > 1 ? tr("%1 (%Ln connected)", nullptr, count).arg(text) : text;
    };
    auto* choice = new QRadioButton(counted(selection ? literalButtonText(name) : name));
    choice->setAccessibleName(counted(escapedForLog(name)));
    choice->setMinimumHeight(kMinimumTargetSize);
    m_group->addButton(choice, static_cast<int>(m_selections.size()));
    m_selections.push_back(std::move(selection));
    m_layout->addWidget(choice);
    // Shown now, not on a later turn, so that the list's height counts it at once.
    choice->show();
}

void DevicePicker::showSelection(const std::optional<QString>& selectedDeviceID)
{
    const bool wasShown = !m_disconnected->isHidden();
    QAbstractButton* row = m_disconnected;
    for (std::size_t id = 0; id < m_selections.size(); ++id) {
        if (m_selections[id] == selectedDeviceID) {
            row = m_group->button(static_cast<int>(id));
            break;
        }
    }
    const bool disconnected = row == m_disconnected;
    if (disconnected) {
        const QString name = PointerDevice::nameInStableID(*selectedDeviceID);
        const QString note = tr(" (not connected)");
        m_disconnected->setText(literalButtonText(name) + note);
        m_disconnected->setAccessibleName(escapedForLog(name) + note);
    }
    m_disconnected->setVisible(disconnected);
    m_showingSelection = true;
    row->setChecked(true);
    m_showingSelection = false;
    if (wasShown != disconnected)
        Q_EMIT rowsChanged();
}

} // namespace veloquill
