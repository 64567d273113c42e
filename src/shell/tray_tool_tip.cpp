// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/tray_tool_tip.h"

#include "settings/veloquill_pointer_settings_state.h"
#include "shell/status_bar_controller.h"
#include "support/log.h"

#include <QCoreApplication>

namespace veloquill {

QString trayToolTip(const std::optional<QString>& selectedDeviceID, const QString& listedDeviceName,
                    const QString& speed, bool precisionMode)
{
    if (!selectedDeviceID)
        return QCoreApplication::translate("TrayToolTip", "Veloquill \u2013 no device selected");
    const QString name = listedDeviceName.isEmpty()
                             ? PointerDevice::nameInStableID(*selectedDeviceID)
                             : listedDeviceName;
    // The tray host shows it as it is: one line, nothing in the name reordering the rest.
    return QCoreApplication::translate("TrayToolTip", "Veloquill \u2013 %1: speed %2")
               .arg(escapedForLog(name), speed) +
           (precisionMode ? QCoreApplication::translate("TrayToolTip", ", precision mode")
                          : QString());
}

void bindTrayToolTip(StatusBarController& controller, VeloquillPointerSettingsState& state)
{
    const auto update = [&controller, &state] {
        const PointerDeviceRef device = state.selectedDevice();
        controller.setToolTip(
            trayToolTip(state.selectedDeviceID(), device ? device->name() : QString(),
                        state.pointerSpeedFormatter().toString(state.currentPointerSpeed()),
                        state.precisionMode()));
    };
    update();
    QObject::connect(&state, &VeloquillPointerSettingsState::selectedDeviceIDChanged, &controller,
                     update);
    QObject::connect(&state, &VeloquillPointerSettingsState::currentPointerSpeedChanged,
                     &controller, update);
    controller.setPrecisionModeShown(state.precisionMode());
    QObject::connect(&state, &VeloquillPointerSettingsState::precisionModeChanged, &controller,
                     [&controller, update](bool on) {
                         controller.setPrecisionModeShown(on);
                         update();
                     });
    QObject::connect(&controller, &StatusBarController::precisionModeToggleRequested, &state,
                     [&state] { state.setPrecisionMode(!state.precisionMode()); });
}

} // namespace veloquill
