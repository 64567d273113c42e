// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/x11_properties.h"

#include "device/x11/x11_connection.h"
#include "support/log.h"

#include <array>
#include <cstring>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput.h>
#include <X11/extensions/XInput2.h>

namespace veloquill::x11 {

namespace {
constexpr long kMaxLength = 1024; // in 32-bit units; every property used here is far smaller

std::int32_t itemAt(const RawProperty& property, std::size_t index, bool isSigned)
{
    const unsigned char* item = property.bytes.data() + index * (property.format / 8);
    switch (property.format) {
    case 8:
        return isSigned ? static_cast<std::int8_t>(*item) : *item;
    case 16: {
        std::uint16_t value;
        std::memcpy(&value, item, sizeof value);
        return isSigned ? static_cast<std::int16_t>(value) : value;
    }
    default: {
        std::int32_t value;
        std::memcpy(&value, item, sizeof value);
        return value;
    }
    }
}

void storeItem(RawProperty& property, std::size_t index, std::int32_t value)
{
    unsigned char* item = property.bytes.data() + index * (property.format / 8);
    switch (property.format) {
    case 8:
        *item = static_cast<unsigned char>(value);
        break;
    case 16: {
        const auto narrow = static_cast<std::uint16_t>(value);
        std::memcpy(item, &narrow, sizeof narrow);
        break;
    }
    default:
        std::memcpy(item, &value, sizeof value);
    }
}

// XInput 1 reaches a device's feedbacks through an XDevice, of which its requests carry only
// the id; the server lets any client read and change a device's feedbacks without opening it,
// so no open and close is spent on each look.
XDevice deviceById(int deviceId)
{
    XDevice device{};
    device.device_id = static_cast<XID>(deviceId);
    return device;
}
} // namespace

X11Atoms X11Atoms::intern(Display* display)
{
    X11Atoms atoms;
    std::array<std::pair<const char*, XAtom*>, 16> named = {{
        {"FLOAT", &atoms.floatType},
        {"Coordinate Transformation Matrix", &atoms.transformationMatrix},
        {"Device Product ID", &atoms.productID},
        {"Device Node", &atoms.deviceNode},
        {"XTEST Device", &atoms.xtestDevice},
        {"libinput Accel Speed", &atoms.libinputAccelSpeed},
        {"libinput Accel Profile Enabled", &atoms.libinputAccelProfileEnabled},
        {"libinput Accel Profiles Available", &atoms.libinputAccelProfilesAvailable},
        {"libinput Accel Speed Default", &atoms.libinputAccelSpeedDefault},
        {"libinput Accel Profile Enabled Default", &atoms.libinputAccelProfileEnabledDefault},
        {"Device Accel Profile", &atoms.accelProfile},
        {"Device Accel Velocity Scaling", &atoms.accelVelocityScaling},
        {"Device Accel Constant Deceleration", &atoms.accelConstantDeceleration},
        {"libinput Accel Custom Motion Points", &atoms.libinputAccelCustomPoints},
        {"libinput Accel Custom Motion Step", &atoms.libinputAccelCustomStep},
        {"Veloquill Pointer Feedback", &atoms.pointerFeedback},
    }};
    std::array<char*, named.size()> names{};
    std::array<Atom, named.size()> values{};
    for (std::size_t i = 0; i < named.size(); ++i)
        names[i] = const_cast<char*>(named[i].first);
    // One round trip for all; atoms are created if no driver has made them yet, so a
    // property that appears later is still recognised.
    XInternAtoms(display, names.data(), static_cast<int>(names.size()), False, values.data());
    for (std::size_t i = 0; i < named.size(); ++i)
        *named[i].second = values[i];
    return atoms;
}

QString atomName(Display* display, XAtom atom)
{
    if (atom == None)
        return QStringLiteral("None");
    char* name = XGetAtomName(display, atom);
    if (!name)
        return QStringLiteral("atom ") + QString::number(atom);
    const QString result = QString::fromLatin1(name);
    XFree(name);
    return result;
}

std::vector<std::int32_t> integerItems(const RawProperty& property, bool isSigned)
{
    std::vector<std::int32_t> values(property.count);
    for (std::size_t i = 0; i < property.count; ++i)
        values[i] = itemAt(property, i, isSigned);
    return values;
}

X11DeviceProperties::X11DeviceProperties(X11Connection& connection, const X11Atoms& atoms,
                                         int deviceId)
    : m_connection(connection), m_atoms(atoms), m_deviceId(deviceId)
{}

std::optional<RawProperty> X11DeviceProperties::raw(XAtom property) const
{
    if (m_connection.isLost() || property == None)
        return std::nullopt;
    if (property == m_atoms.pointerFeedback)
        return pointerFeedback();
    X11PropertyCache& cache = m_connection.properties();
    if (const auto* known = cache.find(m_deviceId, property);
        known && m_connection.propertiesCurrent())
        return *known;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, bytesAfter = 0;
    unsigned char* data = nullptr;
    const Status status =
        XIGetProperty(m_connection.display(), m_deviceId, property, 0, kMaxLength, False,
                      AnyPropertyType, &type, &format, &count, &bytesAfter, &data);
    m_connection.afterReply();
    std::optional<RawProperty> result;
    if (status == Success && type != None && (format == 8 || format == 16 || format == 32)) {
        result = RawProperty{type, format, count, {}};
        result->bytes.assign(data, data + count * (format / 8));
    }
    if (data)
        XFree(data);
    if (!m_connection.isLost())
        cache.store(m_deviceId, property, result);
    return result;
}

void X11DeviceProperties::logUnexpected(XAtom property, const RawProperty& found,
                                        const QString& expected) const
{
    Display* display = m_connection.display();
    logLine(QStringLiteral("X11HidEventSystem: property \"") + atomName(display, property) +
            QStringLiteral("\" of device ") + QString::number(m_deviceId) + QStringLiteral(" is ") +
            atomName(display, found.type) + QLatin1Char('/') + QString::number(found.format) +
            QStringLiteral(" with ") + QString::number(found.count) +
            QStringLiteral(" items, expected ") + expected + QStringLiteral("; ignored"));
    m_connection.afterReply(); // the atom names came with a round trip
}

std::optional<std::vector<float>> X11DeviceProperties::floats(XAtom property,
                                                              std::size_t count) const
{
    const auto found = raw(property);
    if (!found)
        return std::nullopt;
    if (found->type != m_atoms.floatType || found->format != 32 || found->count < count) {
        logUnexpected(property, *found,
                      QStringLiteral("FLOAT/32 with ") + QString::number(count) +
                          QStringLiteral(" items"));
        return std::nullopt;
    }
    std::vector<float> values(found->count);
    std::memcpy(values.data(), found->bytes.data(), found->bytes.size());
    return values;
}

std::optional<std::vector<std::int32_t>> X11DeviceProperties::integers(XAtom property,
                                                                       std::size_t count) const
{
    const auto found = raw(property);
    if (!found)
        return std::nullopt;
    const bool isInteger = found->type == XA_INTEGER;
    if ((!isInteger && found->type != XA_CARDINAL) || found->count < count) {
        logUnexpected(property, *found,
                      QStringLiteral("INTEGER with ") + QString::number(count) +
                          QStringLiteral(" items"));
        return std::nullopt;
    }
    return integerItems(*found, isInteger);
}

std::optional<QString> X11DeviceProperties::text(XAtom property) const
{
    const auto found = raw(property);
    if (!found)
        return std::nullopt;
    if (found->type != XA_STRING || found->format != 8) {
        logUnexpected(property, *found, QStringLiteral("STRING/8"));
        return std::nullopt;
    }
    // The server may count a terminating NUL as part of the string.
    const auto* bytes = reinterpret_cast<const char*>(found->bytes.data());
    return QString::fromLocal8Bit(bytes, static_cast<qsizetype>(strnlen(bytes, found->count)));
}

bool X11DeviceProperties::writeRaw(XAtom property, const RawProperty& value)
{
    if (m_connection.isLost() || property == None)
        return false;
    if (m_writeObserver)
        m_writeObserver(property, value, false);
    const std::uint64_t errorsBefore = m_connection.errorCount();
    const unsigned long firstSerial = m_connection.nextRequestSerial();
    bool sent = true;
    if (property == m_atoms.pointerFeedback)
        sent = changePointerFeedback(value);
    else
        XIChangeProperty(m_connection.display(), m_deviceId, property, value.type, value.format,
                         PropModeReplace, const_cast<unsigned char*>(value.bytes.data()),
                         static_cast<int>(value.count));
    if (m_sent && sent) {
        m_sent->push_back({property, firstSerial, m_connection.nextRequestSerial()});
        m_connection.properties().forget(m_deviceId, property);
        if (property == m_atoms.pointerFeedback)
            m_connection.properties().forgetFeedback(m_deviceId);
        return true;
    }
    // Waiting for the server ties a refused write's error to this write.
    m_connection.sync();
    const bool taken = sent && !m_connection.isLost() && m_connection.errorCount() == errorsBefore;
    // The server keeps what it took as sent, and tells of it with a property event.
    if (property == m_atoms.pointerFeedback) {
        if (taken)
            m_connection.properties().storeFeedbackWritten(m_deviceId, value);
        else
            m_connection.properties().forgetFeedback(m_deviceId);
    } else if (taken) {
        m_connection.properties().storeWritten(m_deviceId, property, value);
    } else {
        m_connection.properties().forget(m_deviceId, property);
    }
    if (!taken && m_writeObserver)
        m_writeObserver(property, value, true);
    return taken;
}

std::optional<RawProperty> X11DeviceProperties::pointerFeedback() const
{
    X11PropertyCache& cache = m_connection.properties();
    if (const auto* known = cache.findFeedback(m_deviceId))
        return *known;
    XDevice device = deviceById(m_deviceId);
    int count = 0;
    XFeedbackState* states = XGetFeedbackControl(m_connection.display(), &device, &count);
    m_connection.afterReply();
    // num, den, threshold of the device's first pointer feedback.
    std::optional<RawProperty> result;
    XFeedbackState* state = states;
    for (int i = 0; state && i < count && !result; ++i) {
        if (state->c_class == PtrFeedbackClass) {
            const auto* pointer = reinterpret_cast<const XPtrFeedbackState*>(state);
            const std::array<std::int32_t, 3> items{pointer->accelNum, pointer->accelDenom,
                                                    pointer->threshold};
            result =
                RawProperty{XA_INTEGER, 32, items.size(), std::vector<unsigned char>(sizeof items)};
            std::memcpy(result->bytes.data(), items.data(), sizeof items);
            cache.storeFeedbackId(m_deviceId, state->id);
        }
        state = reinterpret_cast<XFeedbackState*>(reinterpret_cast<char*>(state) + state->length);
    }
    if (states)
        XFreeFeedbackList(states);
    if (!m_connection.isLost())
        cache.storeFeedbackRead(m_deviceId, result);
    return result;
}

bool X11DeviceProperties::changePointerFeedback(const RawProperty& value)
{
    X11PropertyCache& cache = m_connection.properties();
    if (!cache.feedbackId(m_deviceId))
        pointerFeedback();
    const auto id = cache.feedbackId(m_deviceId);
    if (!id || value.format != 32 || value.count != 3)
        return false;
    XDevice device = deviceById(m_deviceId);
    const auto items = integerItems(value, true);
    XPtrFeedbackControl control{};
    control.c_class = PtrFeedbackClass;
    control.length = sizeof control;
    control.id = *id;
    control.accelNum = items[0];
    control.accelDenom = items[1];
    control.threshold = items[2];
    XChangeFeedbackControl(m_connection.display(), &device, DvAccelNum | DvAccelDenom | DvThreshold,
                           reinterpret_cast<XFeedbackControl*>(&control));
    return true;
}

std::optional<RawProperty> X11DeviceProperties::setFloats(XAtom property,
                                                          const std::vector<float>& values)
{
    RawProperty value{m_atoms.floatType, 32, values.size(), {}};
    value.bytes.resize(values.size() * sizeof(float));
    std::memcpy(value.bytes.data(), values.data(), value.bytes.size());
    return writeRaw(property, value) ? std::optional(value) : std::nullopt;
}

std::optional<RawProperty> X11DeviceProperties::setIntegers(XAtom property,
                                                            const std::vector<std::int32_t>& values)
{
    const auto existing = raw(property);
    RawProperty value{existing ? existing->type : XA_INTEGER,
                      existing ? existing->format : 32,
                      values.size(),
                      {}};
    value.bytes.resize(values.size() * (value.format / 8));
    for (std::size_t i = 0; i < values.size(); ++i)
        storeItem(value, i, values[i]);
    return writeRaw(property, value) ? std::optional(value) : std::nullopt;
}

const std::optional<RawProperty>* X11PropertyCache::find(int deviceId, XAtom property) const
{
    const auto found = m_values.find({deviceId, property});
    return found == m_values.end() ? nullptr : &found->second;
}

void X11PropertyCache::store(int deviceId, XAtom property, std::optional<RawProperty> value)
{
    m_values[{deviceId, property}] = std::move(value);
}

void X11PropertyCache::storeWritten(int deviceId, XAtom property, const RawProperty& value)
{
    m_values[{deviceId, property}] = value;
    ++m_own[{deviceId, property}];
    ++m_ownDue;
}

void X11PropertyCache::noteEvent(int deviceId, XAtom property)
{
    const auto own = m_own.find({deviceId, property});
    if (own == m_own.end()) {
        forget(deviceId, property);
        return;
    }
    --m_ownDue;
    if (--own->second == 0)
        m_own.erase(own);
}

const std::optional<RawProperty>* X11PropertyCache::findFeedback(int deviceId) const
{
    const auto found = m_turn.find(deviceId);
    return found != m_turn.end() ? &found->second : nullptr;
}

void X11PropertyCache::storeFeedbackRead(int deviceId, std::optional<RawProperty> value)
{
    m_turn[deviceId] = std::move(value);
}

void X11PropertyCache::storeFeedbackWritten(int deviceId, const RawProperty& value)
{
    m_feedbackWritten[deviceId] = value;
    m_turn[deviceId] = value;
}

void X11PropertyCache::endTurn()
{
    m_turn.clear();
    for (const auto& [deviceId, value] : m_feedbackWritten)
        m_turn[deviceId] = value;
}

std::optional<unsigned long> X11PropertyCache::feedbackId(int deviceId) const
{
    const auto found = m_feedbackIds.find(deviceId);
    return found == m_feedbackIds.end() ? std::nullopt : std::optional(found->second);
}

void X11PropertyCache::clear()
{
    m_turn.clear();
    m_feedbackWritten.clear();
    m_feedbackIds.clear();
    m_values.clear();
    m_own.clear();
    m_ownDue = 0;
}

} // namespace veloquill::x11
