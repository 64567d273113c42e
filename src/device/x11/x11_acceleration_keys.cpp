// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/x11_acceleration_keys.h"

#include "device/x11/acceleration_mapping.h"
#include "support/log.h"

#include <algorithm>

namespace veloquill::x11 {

namespace {
// libinput lists its profiles as adaptive, flat and (since 1.23) custom.
constexpr std::size_t kAdaptive = 0;
constexpr std::size_t kFlat = 1;
// The X server's own profiles: -1 is none, 0 the classic one it starts devices with.
constexpr std::int32_t kServerProfileNone = -1;
constexpr std::int32_t kServerProfileClassic = 0;
constexpr float kServerDefaultVelocityScaling = 10.0f;

void logIgnored(const X11KeyContext& context, const QString& why)
{
    logLine(QStringLiteral("X11HidEventSystem: ") + describeDevice(context.facts) +
            QLatin1Char(' ') + why + QStringLiteral("; acceleration write ignored"));
}

std::optional<std::vector<std::int32_t>> libinputProfile(X11KeyContext& context)
{
    return context.properties.integers(context.atoms.libinputAccelProfileEnabled, kFlat + 1);
}

bool isFlat(const std::vector<std::int32_t>& profile)
{
    return profile[kFlat] != 0 && profile[kAdaptive] == 0;
}

void selectLibinputProfile(X11KeyContext& context, std::vector<std::int32_t> profile,
                           std::size_t which)
{
    std::fill(profile.begin(), profile.end(), 0);
    profile[which] = 1;
    context.properties.setIntegers(context.atoms.libinputAccelProfileEnabled, profile);
}

std::optional<std::int32_t> serverProfile(X11KeyContext& context)
{
    const auto profile = context.properties.integers(context.atoms.accelProfile, 1);
    return profile ? std::optional((*profile)[0]) : std::nullopt;
}

// The profile acceleration comes back on with: the device's own, unless it started off.
std::int32_t serverProfileWhenOn(const X11KeyContext& context)
{
    const auto found = context.memory.firstSeen.find(context.atoms.accelProfile);
    if (found != context.memory.firstSeen.end() && found->second.count >= 1) {
        const std::int32_t first = integerItems(found->second, true)[0];
        if (first != kServerProfileNone)
            return first;
    }
    return kServerProfileClassic;
}

void switchLibinput(X11KeyContext& context, bool off)
{
    const auto profile = libinputProfile(context);
    if (!profile) {
        logIgnored(context, QStringLiteral("has no libinput acceleration profiles"));
        return;
    }
    if (!off) {
        if (isFlat(*profile))
            selectLibinputProfile(context, *profile, kAdaptive);
        return;
    }
    const auto available =
        context.properties.integers(context.atoms.libinputAccelProfilesAvailable, kFlat + 1);
    if (available && (*available)[kFlat] == 0) {
        logIgnored(context, QStringLiteral("has no flat acceleration profile"));
        return;
    }
    selectLibinputProfile(context, *profile, kFlat);
    // Flat with speed 0 moves the pointer 1:1; the resolution alone sets the speed.
    context.properties.setFloats(context.atoms.libinputAccelSpeed, {0.0f});
}

void switchServer(X11KeyContext& context, bool off)
{
    const auto profile = serverProfile(context);
    if (!profile)
        return;
    if (off && *profile != kServerProfileNone)
        context.properties.setIntegers(context.atoms.accelProfile, {kServerProfileNone});
    else if (!off && *profile == kServerProfileNone)
        context.properties.setIntegers(context.atoms.accelProfile, {serverProfileWhenOn(context)});
}
} // namespace

AccelerationKind accelerationKind(X11KeyContext& context)
{
    if (context.properties.has(context.atoms.libinputAccelSpeed))
        return AccelerationKind::Libinput;
    if (context.properties.has(context.atoms.accelProfile))
        return AccelerationKind::Server;
    return AccelerationKind::None;
}

std::optional<std::int32_t> readAcceleration(X11KeyContext& context)
{
    switch (accelerationKind(context)) {
    case AccelerationKind::Libinput: {
        const auto profile = libinputProfile(context);
        if (profile && isFlat(*profile))
            return kAccelerationOff;
        const auto speed = context.properties.floats(context.atoms.libinputAccelSpeed, 1);
        return speed ? std::optional(accelerationForLibinputSpeed((*speed)[0])) : std::nullopt;
    }
    case AccelerationKind::Server: {
        const auto profile = serverProfile(context);
        if (!profile)
            return std::nullopt;
        if (*profile == kServerProfileNone)
            return kAccelerationOff;
        const auto scaling = context.properties.floats(context.atoms.accelVelocityScaling, 1);
        return scaling ? std::optional(accelerationForVelocityScaling((*scaling)[0]))
                       : std::nullopt;
    }
    case AccelerationKind::None:
        break;
    }
    return std::nullopt;
}

std::optional<bool> readAccelerationOff(X11KeyContext& context)
{
    switch (accelerationKind(context)) {
    case AccelerationKind::Libinput: {
        const auto profile = libinputProfile(context);
        return profile && isFlat(*profile);
    }
    case AccelerationKind::Server: {
        const auto profile = serverProfile(context);
        return profile ? std::optional(*profile == kServerProfileNone) : std::nullopt;
    }
    case AccelerationKind::None:
        break;
    }
    return std::nullopt;
}

std::optional<std::int32_t> readAccelerationDefault(X11KeyContext& context)
{
    switch (accelerationKind(context)) {
    case AccelerationKind::Libinput: {
        const auto profile = context.properties.integers(
            context.atoms.libinputAccelProfileEnabledDefault, kFlat + 1);
        if (!profile)
            return std::nullopt;
        if (isFlat(*profile))
            return kAccelerationOff;
        const auto speed = context.properties.floats(context.atoms.libinputAccelSpeedDefault, 1);
        return speed ? std::optional(accelerationForLibinputSpeed((*speed)[0])) : std::nullopt;
    }
    case AccelerationKind::Server:
        // The server starts every device with its classic profile at velocity scaling 10.
        return accelerationForVelocityScaling(kServerDefaultVelocityScaling);
    case AccelerationKind::None:
        break;
    }
    return std::nullopt;
}

void writeAcceleration(X11KeyContext& context, std::int32_t fixed)
{
    if (fixed == kAccelerationOff) {
        writeAccelerationOff(context, true);
        return;
    }
    switch (accelerationKind(context)) {
    case AccelerationKind::Libinput: {
        const auto profile = libinputProfile(context);
        if (profile && (*profile)[kAdaptive] == 0)
            selectLibinputProfile(context, *profile, kAdaptive);
        context.properties.setFloats(context.atoms.libinputAccelSpeed,
                                     {libinputSpeedForAcceleration(fixed)});
        return;
    }
    case AccelerationKind::Server:
        switchServer(context, false);
        context.properties.setFloats(context.atoms.accelVelocityScaling,
                                     {velocityScalingForAcceleration(fixed)});
        return;
    case AccelerationKind::None:
        logIgnored(context, QStringLiteral("has no acceleration settings"));
        return;
    }
}

void writeAccelerationOff(X11KeyContext& context, bool off)
{
    switch (accelerationKind(context)) {
    case AccelerationKind::Libinput:
        switchLibinput(context, off);
        return;
    case AccelerationKind::Server:
        switchServer(context, off);
        return;
    case AccelerationKind::None:
        logIgnored(context, QStringLiteral("has no acceleration settings"));
        return;
    }
}

std::vector<XAtom> accelerationProperties(const X11Atoms& atoms)
{
    return {atoms.libinputAccelProfileEnabled, atoms.libinputAccelSpeed, atoms.accelProfile,
            atoms.accelVelocityScaling};
}

} // namespace veloquill::x11
