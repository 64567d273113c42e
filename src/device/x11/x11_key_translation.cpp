// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/x11_key_translation.h"

#include "device/hid_keys.h"
#include "device/udev_serial.h"
#include "device/x11/x11_acceleration_keys.h"
#include "support/log.h"

#include <algorithm>

namespace veloquill::x11 {

namespace {

bool isIdentityKey(const QString& key)
{
    return key == HidKey::Product || key == HidKey::VendorID || key == HidKey::ProductID ||
           key == HidKey::SerialNumber || key == HidKey::ButtonCount;
}

bool isAccelerationKey(const QString& key)
{
    return key == HidKey::PointerAcceleration || key == HidKey::MouseAcceleration;
}

void logIgnoredWrite(const X11KeyContext& context, const QString& key,
                     const HidPropertyValue& value, const QString& why)
{
    logLine(QStringLiteral("X11HidEventSystem: ignoring ") + key + QStringLiteral(" = ") +
            value.describe() + QStringLiteral(" for ") + describeDevice(context.facts) +
            QStringLiteral(": ") + why);
}

HidPropertyValue readProductNumber(X11KeyContext& context, std::size_t index)
{
    const auto numbers = context.properties.integers(context.atoms.productID, 2);
    if (!numbers)
        return {};
    // CARD32 on the wire, whatever type the driver gave the property.
    return HidPropertyValue::integer(static_cast<std::uint32_t>((*numbers)[index]));
}

HidPropertyValue readSerialNumber(X11KeyContext& context)
{
    if (!context.serverIsLocal)
        return {};
    const auto node = context.properties.text(context.atoms.deviceNode);
    if (!node)
        return {};
    const auto serial = udevSerialForDeviceNode(*node);
    return serial ? HidPropertyValue::text(*serial) : HidPropertyValue();
}

void resetToFirstSeen(X11KeyContext& context, const std::vector<XAtom>& properties)
{
    for (XAtom property : properties) {
        const auto found = context.memory.firstSeen.find(property);
        if (found != context.memory.firstSeen.end())
            context.properties.writeRaw(property, found->second);
    }
}

HidPropertyValue readIdentity(X11KeyContext& context, const QString& key)
{
    if (key == HidKey::Product)
        return HidPropertyValue::text(context.facts.name);
    if (key == HidKey::VendorID)
        return readProductNumber(context, 0);
    if (key == HidKey::ProductID)
        return readProductNumber(context, 1);
    if (key == HidKey::SerialNumber)
        return readSerialNumber(context);
    return HidPropertyValue::integer(context.facts.buttonCount);
}
} // namespace

HidPropertyValue readKey(X11KeyContext& context, const QString& key)
{
    if (isIdentityKey(key)) {
        HidPropertyValue value = readIdentity(context, key);
        context.memory.identity[key] = value;
        return value;
    }
    if (key == HidKey::PointerResolution) {
        const auto fixed = readResolution(context);
        return fixed ? HidPropertyValue::integer(*fixed) : HidPropertyValue();
    }
    if (isAccelerationKey(key)) {
        const auto fixed = readAcceleration(context);
        return fixed ? HidPropertyValue::integer(*fixed) : HidPropertyValue();
    }
    if (key == HidKey::PointerResolutionDefault) {
        const auto fixed = readResolutionDefault(context);
        return fixed ? HidPropertyValue::integer(*fixed) : HidPropertyValue();
    }
    if (key == HidKey::PointerAccelerationDefault) {
        const auto fixed = readAccelerationDefault(context);
        return fixed ? HidPropertyValue::integer(*fixed) : HidPropertyValue();
    }
    if (key == HidKey::UseLinearScalingMouseAcceleration) {
        const auto off = readAccelerationOff(context);
        return off ? HidPropertyValue::integer(*off ? 1 : 0) : HidPropertyValue();
    }
    // HIDPointerAccelerationType among them: the layer then picks HIDPointerAcceleration.
    return {};
}

bool isWritableKey(const QString& key)
{
    return key == HidKey::PointerResolution || key == HidKey::UseLinearScalingMouseAcceleration ||
           isAccelerationKey(key);
}

void writeKey(X11KeyContext& context, const QString& key, const HidPropertyValue& value)
{
    const bool isResolution = key == HidKey::PointerResolution;
    const bool isSwitch = key == HidKey::UseLinearScalingMouseAcceleration;
    if (!isWritableKey(key)) {
        logIgnoredWrite(context, key, value, QStringLiteral("not settable on X11"));
        return;
    }
    if (value.isNull()) {
        context.memory.writtenResolution.reset();
        context.memory.writtenAcceleration.reset();
        resetToFirstSeen(context, isResolution ? speedProperties(context.atoms)
                                               : accelerationProperties(context.atoms));
        return;
    }
    const auto fixed = value.toInt32();
    if (!fixed) {
        logIgnoredWrite(context, key, value, QStringLiteral("not a 32-bit integer"));
        return;
    }
    if (isResolution) {
        if (*fixed <= 0)
            logIgnoredWrite(context, key, value, QStringLiteral("not a positive resolution"));
        else if (!writeResolution(context, *fixed))
            logIgnoredWrite(context, key, value, QStringLiteral("the device has no speed setting"));
    } else if (isSwitch)
        writeAccelerationOff(context, *fixed != 0);
    else
        writeAcceleration(context, *fixed);
}

HidPropertyValue readRememberedKey(const X11KeyMemory& memory, const QString& key)
{
    const auto found = memory.identity.find(key);
    return found == memory.identity.end() ? HidPropertyValue() : found->second;
}

void rememberFirstSeen(X11KeyContext& context)
{
    for (const QString& key : {HidKey::Product, HidKey::VendorID, HidKey::ProductID,
                               HidKey::SerialNumber, HidKey::ButtonCount})
        readKey(context, key);
    for (XAtom property : rememberedProperties(context.atoms)) {
        if (const auto value = context.properties.raw(property))
            context.memory.firstSeen.emplace(property, *value);
    }
}

X11Restore restoreFirstSeen(X11KeyContext& context)
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
