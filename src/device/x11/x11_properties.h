// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The XInput device properties the backend uses: their names, and typed reads and writes of one
// device's. A property of an unexpected type or format is logged in one line and treated as
// absent, never trusted.

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

struct _XDisplay;

namespace veloquill::x11 {

using XAtom = unsigned long; // Xlib's Atom, without pulling Xlib into headers

// The names of the X device properties the backend reads and writes, interned once.
struct X11Atoms
{
    XAtom floatType = 0; // the "FLOAT" property type; the others are Xlib's predefined atoms
    XAtom transformationMatrix = 0; // "Coordinate Transformation Matrix"
    XAtom productID = 0;            // "Device Product ID"
    XAtom deviceNode = 0;           // "Device Node"
    XAtom xtestDevice = 0;          // "XTEST Device"
    XAtom libinputAccelSpeed = 0;
    XAtom libinputAccelProfileEnabled = 0;
    XAtom libinputAccelProfilesAvailable = 0;
    XAtom libinputAccelSpeedDefault = 0;
    XAtom libinputAccelProfileEnabledDefault = 0;
    XAtom accelProfile = 0;              // "Device Accel Profile"
    XAtom accelVelocityScaling = 0;      // "Device Accel Velocity Scaling"
    XAtom accelConstantDeceleration = 0; // "Device Accel Constant Deceleration"
    XAtom libinputAccelCustomPoints = 0; // "libinput Accel Custom Motion Points"
    XAtom libinputAccelCustomStep = 0;   // "libinput Accel Custom Motion Step"
    // The device's own pointer feedback (acceleration numerator, denominator, threshold), which
    // is no property: reads and writes under this name go through the feedback control, so it
    // is remembered, journalled and put back as the properties are.
    XAtom pointerFeedback = 0; // "Veloquill Pointer Feedback"

    static X11Atoms intern(_XDisplay* display);
};

// The atom's name for log lines.
QString atomName(_XDisplay* display, XAtom atom);

class X11Connection;

// A property as the server holds it: items of `format` bits, packed.
struct RawProperty
{
    XAtom type = 0;
    int format = 0;
    std::size_t count = 0;
    std::vector<unsigned char> bytes;
    friend bool operator==(const RawProperty&, const RawProperty&) = default;
};

// The items of an INTEGER (signed) or CARDINAL (unsigned) property.
std::vector<std::int32_t> integerItems(const RawProperty& property, bool isSigned);

// A write sent without waiting for the server: the requests with serials from `first` up to
// (not including) `end` carry it, so an error with one of them is its refusal.
struct X11SentWrite
{
    XAtom property = 0;
    unsigned long first = 0;
    unsigned long end = 0;
};

class X11DeviceProperties
{
public:
    X11DeviceProperties(X11Connection& connection, const X11Atoms& atoms, int deviceId);

    // Nothing when the device has no such property (or vanished).
    std::optional<RawProperty> raw(XAtom property) const;
    // At least `count` FLOAT items, format 32.
    std::optional<std::vector<float>> floats(XAtom property, std::size_t count) const;
    // At least `count` INTEGER or CARDINAL items of any format.
    std::optional<std::vector<std::int32_t>> integers(XAtom property, std::size_t count) const;
    // STRING, format 8.
    std::optional<QString> text(XAtom property) const;
    bool has(XAtom property) const { return raw(property).has_value(); }

    // Told of every write before it is sent, so it can be recorded first, and once more
    // (`refused`) if the server does not take it.
    using WriteObserver = std::function<void(XAtom, const RawProperty&, bool refused)>;
    void setWriteObserver(WriteObserver observer) { m_writeObserver = std::move(observer); }

    // Writes keep the type and format the property already has, so the server (or the
    // driver behind it) sees what it expects. True once the server has taken the write.
    bool writeRaw(XAtom property, const RawProperty& value);
    // From now on writes are sent without waiting for the server, listed in `sent` (true
    // then means sent); one sync afterwards tells from the errors which it refused.
    void sendWithoutWaiting(std::vector<X11SentWrite>* sent) { m_sent = sent; }
    // The value as written, once the server has taken it.
    std::optional<RawProperty> setFloats(XAtom property, const std::vector<float>& values);
    std::optional<RawProperty> setIntegers(XAtom property, const std::vector<std::int32_t>& values);

private:
    // Sends a "Veloquill Pointer Feedback" value (num, den, threshold) as the device's
    // pointer feedback; false (nothing sent) for a device without one.
    std::optional<RawProperty> pointerFeedback() const;
    bool changePointerFeedback(const RawProperty& value);
    void logUnexpected(XAtom property, const RawProperty& found, const QString& expected) const;

    X11Connection& m_connection;
    const X11Atoms& m_atoms;
    int m_deviceId;
    WriteObserver m_writeObserver;
    std::vector<X11SentWrite>* m_sent = nullptr;
};

// Device properties as last read or written on the backend's connection, so that a step does
// not ask the server for each property it looks at. An entry holds until a property event comes
// for it that this program's own write did not cause, or the devices change.
class X11PropertyCache
{
public:
    // The value known (nothing: the device has no such property), or null when none is.
    const std::optional<RawProperty>* find(int deviceId, XAtom property) const;
    void store(int deviceId, XAtom property, std::optional<RawProperty> value);
    // The server took this program's write of the value: the event it sends for it is ours.
    void storeWritten(int deviceId, XAtom property, const RawProperty& value);
    void forget(int deviceId, XAtom property) { m_values.erase({deviceId, property}); }
    // A property event was handled: one this program's write caused leaves the entry as is.
    void noteEvent(int deviceId, XAtom property);
    // Devices came or went (an id may now name another device), or the connection broke.
    void clear();
    // How many property events this program's own writes are still to cause.
    int ownEventsDue() const { return m_ownDue; }

    // A device's pointer feedback changes without an event: what was read of it holds only
    // until the main loop next waits, what this program wrote until it is read afresh (a
    // restore) or the devices change. Its id, the device's own, holds as long as the device.
    const std::optional<RawProperty>* findFeedback(int deviceId) const;
    void storeFeedbackRead(int deviceId, std::optional<RawProperty> value);
    void storeFeedbackWritten(int deviceId, const RawProperty& value);
    void forgetFeedback(int deviceId)
    {
        m_turn.erase(deviceId);
        m_feedbackWritten.erase(deviceId);
    }
    std::optional<unsigned long> feedbackId(int deviceId) const;
    void storeFeedbackId(int deviceId, unsigned long id) { m_feedbackIds[deviceId] = id; }
    void endTurn();

private:
    using Key = std::pair<int, XAtom>;
    std::map<Key, std::optional<RawProperty>> m_values;
    std::map<Key, int> m_own;
    int m_ownDue = 0;
    std::map<int, std::optional<RawProperty>> m_turn;
    std::map<int, RawProperty> m_feedbackWritten;
    std::map<int, unsigned long> m_feedbackIds;
};

} // namespace veloquill::x11
