// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <optional>

namespace veloquill {

class StatusBarController;
class VeloquillPointerSettingsState;

// "Veloquill – <device>: speed <speed>", or "Veloquill – no device selected". The device is
// the listed device's name, or, while the selected device is not connected
// (listedDeviceName empty), the name inside its stableID.
QString trayToolTip(const std::optional<QString>& selectedDeviceID, const QString& listedDeviceName,
                    const QString& speed, bool precisionMode = false);

// Keeps the tray icon's tooltip on the state's selection, speed and precision mode, and the
// "Precision mode" item and icon on precision mode, while the controller lives; choosing the
// item switches it.
void bindTrayToolTip(StatusBarController& controller, VeloquillPointerSettingsState& state);

} // namespace veloquill
