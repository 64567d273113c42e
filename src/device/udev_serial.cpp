// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/udev_serial.h"

#include <libudev.h>
#include <sys/stat.h>

namespace veloquill {

std::optional<QString> udevSerialForDeviceNode(const QString& deviceNode)
{
    struct stat status
    {};
    if (deviceNode.isEmpty() || stat(deviceNode.toLocal8Bit().constData(), &status) != 0 ||
        !S_ISCHR(status.st_mode))
        return std::nullopt;
    udev* context = udev_new();
    if (!context)
        return std::nullopt;
    udev_device* node = udev_device_new_from_devnum(context, 'c', status.st_rdev);
    std::optional<QString> serial = udevSerialForDevice(node);
    if (node)
        udev_device_unref(node);
    udev_unref(context);
    return serial;
}

std::optional<QString> udevSerialForDevice(udev_device* device)
{
    // Parents belong to the child, so none of them is unreferenced here.
    for (; device; device = udev_device_get_parent(device)) {
        const char* value = udev_device_get_property_value(device, "ID_SERIAL_SHORT");
        if (value && *value)
            return QString::fromUtf8(value);
    }
    return std::nullopt;
}

} // namespace veloquill
