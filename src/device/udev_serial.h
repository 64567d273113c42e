// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <optional>

struct udev_device;

namespace veloquill {

// The serial number udev knows for the input device node (ID_SERIAL_SHORT on the node or
// one of its parents), or nothing when the node is unknown or the device has none.
std::optional<QString> udevSerialForDeviceNode(const QString& deviceNode);

// The same for a device the caller already holds.
std::optional<QString> udevSerialForDevice(udev_device* device);

} // namespace veloquill
