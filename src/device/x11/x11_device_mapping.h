// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Which XInput devices the backend offers as pointer services, and a device's identity, speed
// gain and acceleration mapped onto its driver properties. docs/x11-backend.md gives the
// mapping in both directions.

#include "device/backend_device.h"
#include "device/x11/x11_properties.h"

#include <QString>

#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace veloquill::x11 {

class X11Connection;

// What the backend learns about a device when it first sees it.
struct X11DeviceFacts
{
    int deviceId = 0;
    QString name;
    int buttonCount = 0;
    bool isVirtual = false; // an XTEST device: software moves the pointer through it
};

// "device 6 \"Xvfb mouse\"", for log lines.
QString describeDevice(const X11DeviceFacts& facts);

// The enabled slave pointers, in the server's order. Floating slaves (detached, which is
// also what disabling a device makes of it) move no pointer and are left out; so are slave
// keyboards, even those with a pointer class.
std::vector<X11DeviceFacts> listSlavePointers(X11Connection& connection, const X11Atoms& atoms);

// Id and name of every slave pointer and floating slave the server has, disabled or not:
// the devices whose properties can still be written.
std::vector<std::pair<int, QString>> listExistingSlaves(X11Connection& connection);

// A key's value as written, with the property value that carries it.
struct X11CarriedValue
{
    XAtom property = 0;
    RawProperty value;
    double setting = 0; // the gain, or the 16.16 acceleration
};

// What the backend remembers of one service between translations.
struct X11DeviceMemory
{
    // The writable properties as they were when the service was first seen; writing a null
    // value for a key puts its properties back to these.
    std::map<XAtom, RawProperty> firstSeen;
    // Some setting has been written since (by this run, or by one that did not quit cleanly).
    bool changed = false;
    // The value last written to each property written since; nothing for one an older
    // journal names without saying (any value it holds counts as written). A property not
    // here was never written, and is never put back.
    std::map<XAtom, std::optional<RawProperty>> written;
    // A float property cannot hold every value, and on a libinput device one property may
    // carry both speed and acceleration: the value last written to each is read back for as
    // long as the property that carries it still holds what was written with it.
    std::optional<X11CarriedValue> writtenGain;
    std::optional<X11CarriedValue> writtenAcceleration;
    // The identity as last read. A device that has left still answers it, so the layer can
    // find the device it listed (its stableID is built from it).
    DeviceIdentity identity;
    // The device node last looked up in udev, and the serial number it gave.
    std::optional<std::pair<QString, std::optional<QString>>> serialOfNode;
};

struct X11DeviceContext
{
    X11DeviceProperties& properties;
    const X11Atoms& atoms;
    const X11DeviceFacts& facts;
    X11DeviceMemory& memory;
    bool serverIsLocal = true; // device nodes name files on the server's machine
};

// Read from the device; the identity is remembered as it is read.
DeviceIdentity readIdentity(X11DeviceContext& context);

// The speed and acceleration keys on the three kinds of device (x11_driver_settings.cpp): those
// driven by libinput, those accelerated by the X server itself, and those with neither (nothing
// to read or write). The speed goes through the driver's own controls, never the
// transformation matrix.
PointerSettings readSettings(X11DeviceContext& context);
PointerSettings readDefaults(X11DeviceContext& context);
// Writes to the driver's own properties; a device without them logs one line and is left.
void writeGain(X11DeviceContext& context, double gain);
// Switches acceleration on at that amount.
void writeAcceleration(X11DeviceContext& context, double amount);
void writeAccelerationOff(X11DeviceContext& context);
// libinput's or the server's acceleration, as the device's properties say now.
std::optional<PointerCurveModel> curveModel(X11DeviceContext& context);

// Every property whose first-seen value is kept: those written, and the matrix an older
// version wrote (its journal still puts it back).
std::vector<XAtom> rememberedProperties(const X11Atoms& atoms);

} // namespace veloquill::x11
