// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/x11_device_mapping.h"

#include "device/fixed_point_settings.h"
#include "device/neutral_resolution.h"
#include "device/udev_serial.h"
#include "device/x11/acceleration_mapping.h"
#include "device/x11/x11_driver_settings.h"
#include "support/fixed_point.h"
#include "support/log.h"
#include "support/number_format.h"

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

PointerSettings readSettings(X11DeviceContext& context)
{
    const bool off = readAccelerationOff(context).value_or(false);
    return settingsFromFixed(readResolution(context),
                             off ? std::nullopt : readAcceleration(context), off);
}

PointerSettings readDefaults(X11DeviceContext& context)
{
    return settingsFromFixed(readResolutionDefault(context), readAccelerationDefault(context),
                             false);
}

void writeGain(X11DeviceContext& context, double gain)
{
    // The driver properties still speak the resolution the layer's gain comes from.
    const auto fixed = fixedResolutionForGain(gain);
    if (fixed && writeResolution(context, *fixed))
        return;
    logLine(QStringLiteral("X11HidEventSystem: ignoring speed gain ") + formatReal(gain) +
            QStringLiteral(" for ") + describeDevice(context.facts) +
            (fixed ? QStringLiteral(": the device has no speed setting")
                   : QStringLiteral(": not a positive gain")));
}

void writeAccelerationAmount(X11DeviceContext& context, double amount)
{
    if (const auto fixed = toFixedPoint(amount); fixed && *fixed != kAccelerationOff)
        writeAcceleration(context, *fixed);
}

void turnAccelerationOff(X11DeviceContext& context)
{
    writeAccelerationOff(context, true);
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
    context.memory.writtenResolution.reset();
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
