// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The HID keys the device layer reads and writes, translated to one XInput device's
// properties. docs/x11-backend.md gives the mapping in both directions.

#include "device/hid_property_value.h"
#include "device/x11/resolution_mapping.h"
#include "device/x11/x11_device_discovery.h"
#include "device/x11/x11_properties.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <map>
#include <optional>

namespace veloquill::x11 {

// A key's value as written, with the property value that carries it.
struct X11CarriedValue
{
    XAtom property = 0;
    RawProperty value;
    std::int32_t fixed = 0;
};

// What the backend remembers of one service between translations.
struct X11KeyMemory
{
    // The writable properties as they were when the service was first seen; writing a null
    // value for a key puts its properties back to these.
    std::map<XAtom, RawProperty> firstSeen;
    // Some key has been written since (by this run, or by one that did not quit cleanly).
    bool changed = false;
    // The value last written to each property written since; nothing for one an older
    // journal names without saying (any value it holds counts as written). A property not
    // here was never written, and is never put back.
    std::map<XAtom, std::optional<RawProperty>> written;
    // A float property cannot hold every 16.16 value, and on a libinput device one property
    // may carry both keys: the value last written to a key is read back for as long as the
    // property that carries it still holds what was written with it.
    std::optional<X11CarriedValue> writtenResolution;
    std::optional<X11CarriedValue> writtenAcceleration;
    // The acceleration last written while on: it comes back when acceleration is switched on.
    std::optional<std::int32_t> accelerationWhenOn;
    // The identity keys as last read. A service that has left still answers them, so the
    // layer can find the device it listed (its stableID is built from them).
    std::map<QString, HidPropertyValue> identity;
};

struct X11KeyContext
{
    X11DeviceProperties& properties;
    const X11Atoms& atoms;
    const X11DeviceFacts& facts;
    X11KeyMemory& memory;
    bool serverIsLocal = true; // device nodes name files on the server's machine
};

// Reads the device; identity keys are remembered as they are read.
HidPropertyValue readKey(X11KeyContext& context, const QString& key);
// What a device that is gone still answers: its identity as last read, nothing else.
HidPropertyValue readRememberedKey(const X11KeyMemory& memory, const QString& key);
void writeKey(X11KeyContext& context, const QString& key, const HidPropertyValue& value);
// Whether a write of the key changes the device (the others are logged and ignored).
bool isWritableKey(const QString& key);
void rememberFirstSeen(X11KeyContext& context);
// What putting a device back came to, by property.
struct X11Restore
{
    std::vector<XAtom> refused;      // the server did not take the write
    std::vector<XAtom> keptByOthers; // another program changed it since: left as it is
};
// Writes each written property back to its first-seen value, unbounded, while it still
// holds the value last written.
X11Restore restoreFirstSeen(X11KeyContext& context);

} // namespace veloquill::x11
