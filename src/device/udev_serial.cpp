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
    std::optional<QString> serial;
    udev_device* node = udev_device_new_from_devnum(context, 'c', status.st_rdev);
    for (udev_device* device = node; device && !serial; device = udev_device_get_parent(device)) {
        const char* value = udev_device_get_property_value(device, "ID_SERIAL_SHORT");
        if (value && *value)
            serial = QString::fromUtf8(value);
    }
    if (node)
        udev_device_unref(node); // parents belong to the child
    udev_unref(context);
    return serial;
}

} // namespace veloquill
