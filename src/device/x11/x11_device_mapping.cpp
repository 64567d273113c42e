// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/x11_device_mapping.h"

#include "device/udev_serial.h"
#include "device/x11/x11_driver_settings.h"

namespace veloquill::x11 {

namespace {

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

void rememberFirstSeen(X11DeviceContext& context)
{
    readIdentity(context);
    for (XAtom property : rememberedProperties(context.atoms)) {
        if (const auto value = context.properties.raw(property))
            context.memory.firstSeen.emplace(property, *value);
    }
}

X11Restore restoreFirstSeen(X11DeviceContext& context)
{
    context.memory.writtenGain.reset();
    context.memory.writtenAcceleration.reset();
    X11Restore result;
    for (const auto& [property, first] : context.memory.firstSeen) {
        const auto written = context.memory.written.find(property);
        if (written == context.memory.written.end())
            continue;
        const auto now = context.properties.raw(property);
        if (!now || *now == first)
            continue; // gone with its property, or back already
        if (written->second && *written->second != *now)
            result.keptByOthers.push_back(property);
        else if (!context.properties.writeRaw(property, first))
            result.refused.push_back(property);
    }
    return result;
}

} // namespace veloquill::x11
