// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/x11_device_mapping.h"

#include "device/x11/x11_pointer_curve.h"
#include "support/fixed_point.h"
#include "support/log.h"
#include "support/number_format.h"

#include <algorithm>
#include <cmath>

namespace veloquill::x11 {

namespace {
// libinput lists its profiles as adaptive, flat and (since 1.23) custom.
constexpr std::size_t kAdaptive = 0;
constexpr std::size_t kFlat = 1;
constexpr std::size_t kCustom = 2;
// The X server's own profiles: -1 is none, 0 the classic one it starts devices with.
constexpr std::int32_t kServerProfileNone = -1;
constexpr std::int32_t kServerProfileClassic = 0;

enum class AccelerationKind
{
    Libinput,
    Server,
    None
};

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

std::optional<double> carriedValue(X11DeviceContext& context,
                                   const std::optional<X11CarriedValue>& carried)
{
    if (!carried)
        return std::nullopt;
    const auto now = context.properties.raw(carried->property);
    return now && *now == carried->value ? std::optional(carried->setting) : std::nullopt;
}

void remember(std::optional<X11CarriedValue>& slot, XAtom property,
              const std::optional<RawProperty>& written, double setting)
{
    if (written)
        slot = X11CarriedValue{property, *written, setting};
    else
        slot.reset();
}

// A gain the pointer can move by: positive and finite.
std::optional<double> movingGain(double gain)
{
    return std::isfinite(gain) && gain > 0 ? std::optional(gain) : std::nullopt;
}

AccelerationKind accelerationKind(X11DeviceContext& context)
{
    if (context.properties.has(context.atoms.libinputAccelSpeed))
        return AccelerationKind::Libinput;
    if (context.properties.has(context.atoms.accelProfile))
        return AccelerationKind::Server;
    return AccelerationKind::None;
}

// A libinput device whose driver offers the custom profile (libinput 1.23 or later).
bool offersCustomProfile(X11DeviceContext& context)
{
    const auto available =
        context.properties.integers(context.atoms.libinputAccelProfilesAvailable, kCustom + 1);
    return available && (*available)[kCustom] != 0 &&
           context.properties.has(context.atoms.libinputAccelCustomPoints) &&
           context.properties.has(context.atoms.libinputAccelCustomStep);
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

// The amount the libinput device is accelerated by while on: the one written while what
// carries it stands, else the neutral one (its libinput speed carries the resolution).
std::int32_t libinputAmount(X11DeviceContext& context)
{
    const auto written = carriedValue(context, context.memory.writtenAcceleration);
    return written ? static_cast<std::int32_t>(*written) : kAccelerationNeutral;
}

// The curve Veloquill computes, as custom profile points: both keys are carried by them.
void writeCustomCurve(X11DeviceContext& context, double gain, std::int32_t acceleration)
{
    if (!selectLibinputProfile(context, kCustom))
        return;
    context.properties.setFloats(context.atoms.libinputAccelCustomStep, {kCustomStep});
    // The points were always computed from the gain as a float: they stay as they were.
    const auto points =
        context.properties.setFloats(context.atoms.libinputAccelCustomPoints,
                                     customPointsFor(static_cast<float>(gain), acceleration));
    remember(context.memory.writtenGain, context.atoms.libinputAccelCustomPoints, points, gain);
    remember(context.memory.writtenAcceleration, context.atoms.libinputAccelCustomPoints, points,
             acceleration);
}

// Flat and adaptive take the speed as libinput's speed: gain − 1, exact for the flat profile.
void writeLibinputSpeed(X11DeviceContext& context, double gain)
{
    const float speed = static_cast<float>(std::clamp(gain - 1.0, -1.0, 1.0));
    remember(context.memory.writtenGain, context.atoms.libinputAccelSpeed,
             context.properties.setFloats(context.atoms.libinputAccelSpeed, {speed}), gain);
}

// The gain the device moves by; nothing on a device without a speed setting.
std::optional<double> readGain(X11DeviceContext& context)
{
    const auto kind = accelerationKind(context);
    if (kind == AccelerationKind::None)
        return std::nullopt;
    if (const auto written = carriedValue(context, context.memory.writtenGain))
        return written;
    if (kind == AccelerationKind::Server) {
        const auto deceleration =
            context.properties.floats(context.atoms.accelConstantDeceleration, 1);
        return deceleration ? movingGain(1.0 / (*deceleration)[0]) : std::nullopt;
    }
    if (libinputMode(context) == LibinputMode::Custom) {
        // Another program's curve: its slope at the first step is the gain at slow speeds.
        const auto points = context.properties.floats(context.atoms.libinputAccelCustomPoints, 2);
        const auto step = context.properties.floats(context.atoms.libinputAccelCustomStep, 1);
        if (points && step && (*step)[0] > 0)
            return movingGain(static_cast<double>((*points)[1]) / (*step)[0]);
        return std::nullopt;
    }
    const auto speed = context.properties.floats(context.atoms.libinputAccelSpeed, 1);
    return speed ? movingGain(1.0 + (*speed)[0]) : std::nullopt;
}

void turnLibinputOff(X11DeviceContext& context)
{
    if (!libinputMode(context)) {
        logIgnored(context, QStringLiteral("has no libinput acceleration profiles"));
        return;
    }
    const double gain = readGain(context).value_or(1.0);
    const auto available =
        context.properties.integers(context.atoms.libinputAccelProfilesAvailable, kFlat + 1);
    if (available && (*available)[kFlat] == 0) {
        logIgnored(context, QStringLiteral("has no flat acceleration profile"));
        return;
    }
    selectLibinputProfile(context, kFlat);
    context.memory.writtenAcceleration.reset();
    writeLibinputSpeed(context, gain);
}

// 16.16 fixed point, kAccelerationOff when switched off; nothing on a device without.
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
            return static_cast<std::int32_t>(*written);
        const auto feedback = context.properties.integers(context.atoms.pointerFeedback, 3);
        return feedback ? accelerationForFeedback({(*feedback)[0], (*feedback)[1], (*feedback)[2]})
                        : kAccelerationNeutral;
    }
    case AccelerationKind::None:
        break;
    }
    return std::nullopt;
}

PointerSettings settingsOf(std::optional<double> gain, std::optional<std::int32_t> acceleration)
{
    PointerSettings settings{gain, std::nullopt, acceleration == kAccelerationOff};
    if (acceleration && !settings.accelerationOff)
        settings.acceleration = fromFixedPoint(*acceleration);
    return settings;
}
} // namespace

PointerSettings readSettings(X11DeviceContext& context)
{
    return settingsOf(readGain(context), readAcceleration(context));
}

PointerSettings readDefaults(X11DeviceContext& context)
{
    switch (accelerationKind(context)) {
    case AccelerationKind::Libinput: {
        const auto speed = context.properties.floats(context.atoms.libinputAccelSpeedDefault, 1);
        const auto profile = context.properties.integers(
            context.atoms.libinputAccelProfileEnabledDefault, kFlat + 1);
        // The default speed belongs to the gain; the amount is libinput's own shape.
        std::optional<std::int32_t> acceleration;
        if (profile)
            acceleration = (*profile)[kFlat] != 0 && (*profile)[kAdaptive] == 0
                               ? kAccelerationOff
                               : kAccelerationNeutral;
        return settingsOf(speed ? movingGain(1.0 + (*speed)[0]) : 1.0, acceleration);
    }
    case AccelerationKind::Server:
        // The server's constant deceleration starts at 1: the device moves as it reports. It
        // starts every device with its classic profile at its feedback 2/1, 4.
        return settingsOf(1.0, accelerationForFeedback(PointerFeedback{}));
    case AccelerationKind::None:
        break;
    }
    return {};
}

void writeGain(X11DeviceContext& context, double gain)
{
    QString refusal = QStringLiteral(": not a positive gain");
    if (movingGain(gain)) {
        refusal = QStringLiteral(": the device has no speed setting");
        switch (accelerationKind(context)) {
        case AccelerationKind::Libinput:
            if (libinputMode(context) == LibinputMode::Custom)
                writeCustomCurve(context, gain, libinputAmount(context));
            else
                writeLibinputSpeed(context, gain);
            return;
        case AccelerationKind::Server:
            remember(context.memory.writtenGain, context.atoms.accelConstantDeceleration,
                     context.properties.setFloats(context.atoms.accelConstantDeceleration,
                                                  {static_cast<float>(1.0 / gain)}),
                     gain);
            return;
        case AccelerationKind::None:
            break;
        }
    }
    logLine(QStringLiteral("X11HidEventSystem: ignoring speed gain ") + formatReal(gain) +
            QStringLiteral(" for ") + describeDevice(context.facts) + refusal);
}

void writeAcceleration(X11DeviceContext& context, double amount)
{
    const auto given = toFixedPoint(amount);
    if (!given || *given == kAccelerationOff)
        return;
    const std::int32_t fixed = boundAcceleration(*given);
    switch (accelerationKind(context)) {
    case AccelerationKind::Libinput: {
        const double gain = readGain(context).value_or(1.0);
        if (offersCustomProfile(context)) {
            writeCustomCurve(context, gain, fixed);
            return;
        }
        const bool wasFlat = libinputMode(context) != LibinputMode::Adaptive;
        remember(context.memory.writtenAcceleration, context.atoms.libinputAccelProfileEnabled,
                 selectLibinputProfile(context, kAdaptive), fixed);
        if (wasFlat)
            writeLibinputSpeed(context, gain);
        return;
    }
    case AccelerationKind::Server: {
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

void writeAccelerationOff(X11DeviceContext& context)
{
    switch (accelerationKind(context)) {
    case AccelerationKind::Libinput:
        turnLibinputOff(context);
        return;
    case AccelerationKind::Server:
        switchServer(context, true);
        return;
    case AccelerationKind::None:
        logIgnored(context, QStringLiteral("has no acceleration settings"));
        return;
    }
}

std::optional<PointerCurveModel> curveModel(X11DeviceContext& context)
{
    switch (accelerationKind(context)) {
    case AccelerationKind::Libinput:
        if (offersCustomProfile(context))
            return curveModel(PointerCurveModel::Kind::X11Libinput);
        return PointerCurveModel{PointerCurveModel::Kind::Libinput, true};
    case AccelerationKind::Server:
        return curveModel(PointerCurveModel::Kind::X11Server);
    case AccelerationKind::None:
        break;
    }
    return std::nullopt;
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
