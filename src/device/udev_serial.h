#pragma once

#include <QString>

#include <optional>

namespace veloquill {

// The serial number udev knows for the input device node (ID_SERIAL_SHORT on the node or
// one of its parents), or nothing when the node is unknown or the device has none.
std::optional<QString> udevSerialForDeviceNode(const QString& deviceNode);

} // namespace veloquill
