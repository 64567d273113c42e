// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/x11_driver_settings.h"

#include "device/libinput_mapping.h"
#include "device/x11/acceleration_mapping.h"
#include "device/x11/resolution_mapping.h"
#include "support/log.h"

#include <algorithm>

namespace veloquill::x11 {

namespace {
// libinput lists its profiles as adaptive, flat and (since 1.23) custom.
constexpr std::size_t kAdaptive = 0;
constexpr std::size_t kFlat = 1;
constexpr std::size_t kCustom = 2;
// The X server's own profiles: -1 is none, 0 the classic one it starts devices with.
constexpr std::int32_t kServerProfileNone = -1;
constexpr std::int32_t kServerProfileClassic = 0;

enum class LibinputMode
{
    Adaptive,
    Flat,
    Custom
};

void logIgnored(const X11DeviceContext& context, const QString& why)
{
    logLine(QStringLiteral("X11HidEventSystem: ") + describeDevice(context.facts) +
            QLatin1Char(' ') + why + QStringLiteral("; acceleration write ignored"));
}

std::optional<std::int32_t> carriedValue(X11DeviceContext& context,
                                         const std::optional<X11CarriedValue>& carried)
{
    if (!carried)
        return std::nullopt;
    const auto now = context.properties.raw(carried->property);
    return now && *now == carried->value ? std::optional(carried->fixed) : std::nullopt;
}

void remember(std::optional<X11CarriedValue>& slot, XAtom property,
              const std::optional<RawProperty>& written, std::int32_t fixed)
{
    if (written)
        slot = X11CarriedValue{property, *written, fixed};
    else
        slot.reset();
}

std::optional<std::vector<std::int32_t>> libinputProfile(X11DeviceContext& context)
{
    return context.properties.integers(context.atoms.libinputAccelProfileEnabled, kFlat + 1);
}

std::optional<LibinputMode> libinputMode(X11DeviceContext& context)
{
    const auto profile = libinputProfile(context);
    if (!profile)
        return std::nullopt;
    if (profile->size() > kCustom && (*profile)[kCustom] != 0 && (*profile)[kAdaptive] == 0 &&
        (*profile)[kFlat] == 0)
        return LibinputMode::Custom;
    if ((*profile)[kFlat] != 0 && (*profile)[kAdaptive] == 0)
        return LibinputMode::Flat;
    return LibinputMode::Adaptive;
}

// The profile list as written, or as it is when it already was that.
std::optional<RawProperty> selectLibinputProfile(X11DeviceContext& context, std::size_t which)
{
    auto profile = libinputProfile(context);
    if (!profile || profile->size() <= which)
        return std::nullopt;
    if ((*profile)[which] != 0 && std::count(profile->begin(), profile->end(), 0) ==
                                      static_cast<std::ptrdiff_t>(profile->size() - 1))
        return context.properties.raw(context.atoms.libinputAccelProfileEnabled);
    std::fill(profile->begin(), profile->end(), 0);
    (*profile)[which] = 1;
    return context.properties.setIntegers(context.atoms.libinputAccelProfileEnabled, *profile);
}

std::optional<std::int32_t> serverProfile(X11DeviceContext& context)
{
    const auto profile = context.properties.integers(context.atoms.accelProfile, 1);
    return profile ? std::optional((*profile)[0]) : std::nullopt;
}

// The profile acceleration comes back on with: the device's own, unless it started off.
std::int32_t serverProfileWhenOn(const X11DeviceContext& context)
{
    const auto found = context.memory.firstSeen.find(context.atoms.accelProfile);
    if (found != context.memory.firstSeen.end() && found->second.count >= 1) {
        const std::int32_t first = integerItems(found->second, true)[0];
        if (first != kServerProfileNone)
            return first;
    }
    return kServerProfileClassic;
}

void switchServer(X11DeviceContext& context, bool off)
{
    const auto profile = serverProfile(context);
    if (!profile)
        return;
    if (off && *profile != kServerProfileNone)
        context.properties.setIntegers(context.atoms.accelProfile, {kServerProfileNone});
    else if (!off && *profile == kServerProfileNone)
        context.properties.setIntegers(context.atoms.accelProfile, {serverProfileWhenOn(context)});
}

std::optional<PointerFeedback> pointerFeedback(X11DeviceContext& context)
{
    const auto items = context.properties.integers(context.atoms.pointerFeedback, 3);
    if (!items)
        return std::nullopt;
    return PointerFeedback{(*items)[0], (*items)[1], (*items)[2]};
}

// The amount the libinput device is accelerated by while on: the one written while what
// carries it stands, else the neutral one (its libinput speed carries the resolution).
std::int32_t libinputAmount(X11DeviceContext& context)
{
    return carriedValue(context, context.memory.writtenAcceleration).value_or(kAccelerationNeutral);
}

// The curve Veloquill computes, as custom profile points: both keys are carried by them.
void writeCustomCurve(X11DeviceContext& context, std::int32_t resolution, std::int32_t acceleration)
{
    const double gain = scaleForResolution(resolution).value_or(1.0f);
    if (!selectLibinputProfile(context, kCustom))
        return;
    context.properties.setFloats(context.atoms.libinputAccelCustomStep, {kCustomStep});
    const auto points = context.properties.setFloats(context.atoms.libinputAccelCustomPoints,
                                                     customPointsFor(gain, acceleration));
    remember(context.memory.writtenResolution, context.atoms.libinputAccelCustomPoints, points,
             resolution);
    remember(context.memory.writtenAcceleration, context.atoms.libinputAccelCustomPoints, points,
             acceleration);
}

// Flat and adaptive take the speed as libinput's speed: gain − 1, exact for the flat profile.
void writeLibinputSpeed(X11DeviceContext& context, std::int32_t resolution)
{
    const float speed = static_cast<float>(libinput::speedForResolution(resolution).value_or(0));
    remember(context.memory.writtenResolution, context.atoms.libinputAccelSpeed,
             context.properties.setFloats(context.atoms.libinputAccelSpeed, {speed}), resolution);
}

void switchLibinput(X11DeviceContext& context, bool off)
{
    const auto mode = libinputMode(context);
    if (!mode) {
        logIgnored(context, QStringLiteral("has no libinput acceleration profiles"));
        return;
    }
    const std::int32_t resolution = readResolution(context).value_or(kNeutralFixedResolution);
    if (!off) {
        if (*mode != LibinputMode::Flat)
            return;
        const std::int32_t amount =
            context.memory.accelerationWhenOn.value_or(kAccelerationNeutral);
        if (offersCustomProfile(context)) {
            writeCustomCurve(context, resolution, amount);
            return;
        }
        remember(context.memory.writtenAcceleration, context.atoms.libinputAccelProfileEnabled,
                 selectLibinputProfile(context, kAdaptive), amount);
        writeLibinputSpeed(context, resolution);
        return;
    }
    const auto available =
        context.properties.integers(context.atoms.libinputAccelProfilesAvailable, kFlat + 1);
    if (available && (*available)[kFlat] == 0) {
        logIgnored(context, QStringLiteral("has no flat acceleration profile"));
        return;
    }
    selectLibinputProfile(context, kFlat);
    context.memory.writtenAcceleration.reset();
    writeLibinputSpeed(context, resolution);
}
} // namespace

AccelerationKind accelerationKind(X11DeviceContext& context)
{
    if (context.properties.has(context.atoms.libinputAccelSpeed))
        return AccelerationKind::Libinput;
    if (context.properties.has(context.atoms.accelProfile))
        return AccelerationKind::Server;
    return AccelerationKind::None;
}

bool offersCustomProfile(X11DeviceContext& context)
{
    const auto available =
        context.properties.integers(context.atoms.libinputAccelProfilesAvailable, kCustom + 1);
    return available && (*available)[kCustom] != 0 &&
           context.properties.has(context.atoms.libinputAccelCustomPoints) &&
           context.properties.has(context.atoms.libinputAccelCustomStep);
}

std::optional<std::int32_t> readResolution(X11DeviceContext& context)
{
    const auto kind = accelerationKind(context);
    if (kind == AccelerationKind::None)
        return std::nullopt;
    if (const auto written = carriedValue(context, context.memory.writtenResolution))
        return written;
    if (kind == AccelerationKind::Server) {
        const auto deceleration =
            context.properties.floats(context.atoms.accelConstantDeceleration, 1);
        return deceleration ? resolutionForConstantDeceleration((*deceleration)[0]) : std::nullopt;
    }
    if (libinputMode(context) == LibinputMode::Custom) {
        // Another program's curve: its slope at the first step is the gain at slow speeds.
        const auto points = context.properties.floats(context.atoms.libinputAccelCustomPoints, 2);
        const auto step = context.properties.floats(context.atoms.libinputAccelCustomStep, 1);
        if (points && step && (*step)[0] > 0)
            return libinput::resolutionForSpeed((*points)[1] / (*step)[0] - 1.0);
        return std::nullopt;
    }
    const auto speed = context.properties.floats(context.atoms.libinputAccelSpeed, 1);
    return speed ? libinput::resolutionForSpeed((*speed)[0]) : std::nullopt;
}

std::optional<std::int32_t> readResolutionDefault(X11DeviceContext& context)
{
    switch (accelerationKind(context)) {
    case AccelerationKind::Libinput: {
        const auto speed = context.properties.floats(context.atoms.libinputAccelSpeedDefault, 1);
        return speed ? libinput::resolutionForSpeed((*speed)[0])
                     : std::optional(kNeutralFixedResolution);
    }
    case AccelerationKind::Server:
        // The server's constant deceleration starts at 1: the device moves as it reports.
        return kNeutralFixedResolution;
    case AccelerationKind::None:
        break;
    }
    return std::nullopt;
}

bool writeResolution(X11DeviceContext& context, std::int32_t fixed)
{
    switch (accelerationKind(context)) {
    case AccelerationKind::Libinput:
        if (libinputMode(context) == LibinputMode::Custom)
            writeCustomCurve(context, fixed, libinputAmount(context));
        else
            writeLibinputSpeed(context, fixed);
        return true;
    case AccelerationKind::Server: {
        const float deceleration = constantDecelerationForResolution(fixed).value_or(1.0f);
        remember(
            context.memory.writtenResolution, context.atoms.accelConstantDeceleration,
            context.properties.setFloats(context.atoms.accelConstantDeceleration, {deceleration}),
            fixed);
        return true;
    }
    case AccelerationKind::None:
        break;
    }
    return false;
}

std::optional<std::int32_t> readAcceleration(X11DeviceContext& context)
{
    switch (accelerationKind(context)) {
    case AccelerationKind::Libinput: {
        const auto mode = libinputMode(context);
        if (!mode)
            return std::nullopt;
        return *mode == LibinputMode::Flat ? kAccelerationOff : libinputAmount(context);
    }
    case AccelerationKind::Server: {
        const auto profile = serverProfile(context);
        if (!profile)
            return std::nullopt;
        if (*profile == kServerProfileNone)
            return kAccelerationOff;
        if (const auto written = carriedValue(context, context.memory.writtenAcceleration))
            return written;
        const auto feedback = pointerFeedback(context);
        return feedback ? accelerationForFeedback(*feedback) : kAccelerationNeutral;
    }
    case AccelerationKind::None:
        break;
    }
    return std::nullopt;
}

std::optional<bool> readAccelerationOff(X11DeviceContext& context)
{
    switch (accelerationKind(context)) {
    case AccelerationKind::Libinput: {
        const auto mode = libinputMode(context);
        return mode ? std::optional(*mode == LibinputMode::Flat) : std::nullopt;
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

std::optional<std::int32_t> readAccelerationDefault(X11DeviceContext& context)
{
    switch (accelerationKind(context)) {
    case AccelerationKind::Libinput: {
        const auto profile = context.properties.integers(
            context.atoms.libinputAccelProfileEnabledDefault, kFlat + 1);
        if (!profile)
            return std::nullopt;
        // The default speed belongs to the resolution; the amount is libinput's own shape.
        const bool flat = (*profile)[kFlat] != 0 && (*profile)[kAdaptive] == 0;
        return flat ? kAccelerationOff : kAccelerationNeutral;
    }
    case AccelerationKind::Server:
        // The server starts every device with its classic profile at its feedback 2/1, 4.
        return accelerationForFeedback(PointerFeedback{});
    case AccelerationKind::None:
        break;
    }
    return std::nullopt;
}

void writeAcceleration(X11DeviceContext& context, std::int32_t fixed)
{
    if (fixed == kAccelerationOff) {
        writeAccelerationOff(context, true);
        return;
    }
    fixed = boundAcceleration(fixed);
    switch (accelerationKind(context)) {
    case AccelerationKind::Libinput: {
        context.memory.accelerationWhenOn = fixed;
        const std::int32_t resolution = readResolution(context).value_or(kNeutralFixedResolution);
        if (offersCustomProfile(context)) {
            writeCustomCurve(context, resolution, fixed);
            return;
        }
        const bool wasFlat = libinputMode(context) != LibinputMode::Adaptive;
        remember(context.memory.writtenAcceleration, context.atoms.libinputAccelProfileEnabled,
                 selectLibinputProfile(context, kAdaptive), fixed);
        if (wasFlat)
            writeLibinputSpeed(context, resolution);
        return;
    }
    case AccelerationKind::Server: {
        context.memory.accelerationWhenOn = fixed;
        switchServer(context, false);
        const PointerFeedback feedback = feedbackForAcceleration(fixed);
        context.properties.setFloats(context.atoms.accelVelocityScaling,
                                     {velocityScalingForAcceleration(fixed)});
        remember(context.memory.writtenAcceleration, context.atoms.pointerFeedback,
                 context.properties.setIntegers(
                     context.atoms.pointerFeedback,
                     {feedback.numerator, feedback.denominator, feedback.threshold}),
                 fixed);
        return;
    }
    case AccelerationKind::None:
        logIgnored(context, QStringLiteral("has no acceleration settings"));
        return;
    }
}

void writeAccelerationOff(X11DeviceContext& context, bool off)
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

std::vector<XAtom> rememberedProperties(const X11Atoms& atoms)
{
    return {atoms.transformationMatrix,    atoms.libinputAccelProfileEnabled,
            atoms.libinputAccelSpeed,      atoms.libinputAccelCustomPoints,
            atoms.libinputAccelCustomStep, atoms.accelProfile,
            atoms.accelVelocityScaling,    atoms.accelConstantDeceleration,
            atoms.pointerFeedback};
}

} // namespace veloquill::x11
