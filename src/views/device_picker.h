// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QString>
#include <QWidget>

#include <optional>
#include <vector>

class QAbstractButton;
class QButtonGroup;
class QRadioButton;
class QVBoxLayout;

namespace veloquill {

class PointerDeviceManager;
class VeloquillPointerSettingsState;

// The device to control, as a radio group: "None (No device selected)" and then each listed
// device by name, in list order; identical devices (one stableID) share a row that says how
// many are connected, "Foot Mouse (2 connected)". Choosing a row selects its device; a change of
// selection or of the device list from elsewhere shows at once. A selected device that is not
// connected keeps a dimmed row of its own, marked "not connected", so the list still says
// whose settings the controls edit; choosing it does nothing.
class DevicePicker : public QWidget
{
    Q_OBJECT

public:
    DevicePicker(VeloquillPointerSettingsState& state, PointerDeviceManager& manager,
                 QWidget* parent = nullptr);

    // The rows that can be chosen, "None" first.
    QList<QAbstractButton*> choices() const;
    // The row of the selected device while it is not connected; null otherwise.
    QAbstractButton* disconnectedSelection() const;

    // Puts the keyboard on the checked row, while it is still on a row or nowhere yet in the
    // window: never away from where the user put it.
    void focusSelection();

    // The height of the first `count` rows, as laid out; rows beyond those listed count as high
    // as the last one.
    int heightOfRows(int count) const;

Q_SIGNALS:
    void rowsChanged();

private:
    void rebuild();
    void showSelection(const std::optional<QString>& selectedDeviceID);
    // `count` identical devices share the row's record.
    void addChoice(const QString& name, std::optional<QString> selection, int count = 1);

    VeloquillPointerSettingsState& m_state;
    PointerDeviceManager& m_manager;
    QVBoxLayout* m_layout = nullptr;
    QButtonGroup* m_group = nullptr;
    // Indexed by the rows' ids in the group.
    std::vector<std::optional<QString>> m_selections;
    QRadioButton* m_disconnected = nullptr;
    bool m_showingSelection = false;
};

} // namespace veloquill
