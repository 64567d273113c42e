// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/x11_device_mapping.h"

#include "device/udev_pointer_devices.h"
#include "device/x11/x11_connection.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace veloquill::x11 {

namespace {
bool hasProperty(Display* display, int deviceId, XAtom property)
{
    int count = 0;
    Atom* properties = XIListProperties(display, deviceId, &count);
    bool found = false;
    for (int i = 0; i < count; ++i)
        found = found || properties[i] == property;
    if (properties)
        XFree(properties);
    return found;
}

// Calls `use` with each device the server has, in its order; nothing once the connection is
// lost.
template <typename Use> void forEachDevice(X11Connection& connection, Use use)
{
    if (connection.isLost())
        return;
    int count = 0;
    XIDeviceInfo* devices = XIQueryDevice(connection.display(), XIAllDevices, &count);
    for (int i = 0; i < count; ++i)
        use(devices[i]);
    if (devices)
        XIFreeDeviceInfo(devices);
    connection.afterReply();
}

std::optional<QString> readSerialNumber(X11DeviceContext& context)
{
    if (!context.serverIsLocal)
        return std::nullopt;
    const auto node = context.properties.text(context.atoms.deviceNode);
    if (!node)
        return std::nullopt;
    // A node's serial does not change: udev is asked once per node.
    auto& known = context.memory.serialOfNode;
    if (!known || known->first != *node)
        known.emplace(*node, udevSerialForDeviceNode(*node));
    return known->second;
}
} // namespace

QString describeDevice(const X11DeviceFacts& facts)
{
    return QStringLiteral("device ") + QString::number(facts.deviceId) + QStringLiteral(" \"") +
           facts.name + QLatin1Char('"');
}

std::vector<X11DeviceFacts> listSlavePointers(X11Connection& connection, const X11Atoms& atoms)
{
    std::vector<X11DeviceFacts> result;
    forEachDevice(connection, [&](const XIDeviceInfo& info) {
        if (info.use != XISlavePointer || !info.enabled)
            return;
        X11DeviceFacts& facts = result.emplace_back();
        facts.deviceId = info.deviceid;
        facts.name = QString::fromUtf8(info.name);
        for (int i = 0; i < info.num_classes; ++i) {
            if (info.classes[i]->type == XIButtonClass)
                facts.buttonCount =
                    reinterpret_cast<const XIButtonClassInfo*>(info.classes[i])->num_buttons;
        }
        facts.isVirtual = facts.name.endsWith(QLatin1String(" XTEST pointer")) ||
                          hasProperty(connection.display(), info.deviceid, atoms.xtestDevice);
    });
    return result;
}

std::vector<std::pair<int, QString>> listExistingSlaves(X11Connection& connection)
{
    std::vector<std::pair<int, QString>> result;
    forEachDevice(connection, [&](const XIDeviceInfo& info) {
        if (info.use == XISlavePointer || info.use == XIFloatingSlave)
            result.emplace_back(info.deviceid, QString::fromUtf8(info.name));
    });
    return result;
}

DeviceIdentity readIdentity(X11DeviceContext& context)
{
    DeviceIdentity& identity = context.memory.identity;
    identity = {
        context.facts.name,        std::nullopt,           std::nullopt, readSerialNumber(context),
        context.facts.buttonCount, context.facts.isVirtual};
    // CARD32 on the wire, whatever type the driver gave the property.
    if (const auto numbers = context.properties.integers(context.atoms.productID, 2)) {
        identity.vendorID = static_cast<std::uint32_t>((*numbers)[0]);
        identity.productID = static_cast<std::uint32_t>((*numbers)[1]);
    }
    return identity;
}

} // namespace veloquill::x11
