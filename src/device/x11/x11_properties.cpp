// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/x11_properties.h"

#include "device/x11/x11_connection.h"
#include "support/log.h"

#include <cstring>

#include <X11/Xlib.h>
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
} // namespace

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
    const bool isInteger = found->type == m_atoms.integerType;
    if ((!isInteger && found->type != m_atoms.cardinalType) || found->count < count) {
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
    if (found->type != m_atoms.stringType || found->format != 8) {
        logUnexpected(property, *found, QStringLiteral("STRING/8"));
        return std::nullopt;
    }
    // The server may count a terminating NUL as part of the string.
    const auto* bytes = reinterpret_cast<const char*>(found->bytes.data());
    return QString::fromLocal8Bit(bytes, static_cast<qsizetype>(strnlen(bytes, found->count)));
}

bool X11DeviceProperties::has(XAtom property) const
{
    return raw(property).has_value();
}

bool X11DeviceProperties::writeRaw(XAtom property, const RawProperty& value)
{
    if (m_connection.isLost() || property == None)
        return false;
    if (m_writeObserver)
        m_writeObserver(property, value, false);
    const std::uint64_t errorsBefore = m_connection.errorCount();
    XIChangeProperty(m_connection.display(), m_deviceId, property, value.type, value.format,
                     PropModeReplace, const_cast<unsigned char*>(value.bytes.data()),
                     static_cast<int>(value.count));
    // Waiting for the server ties a refused write's error to this write.
    m_connection.sync();
    const bool taken = !m_connection.isLost() && m_connection.errorCount() == errorsBefore;
    if (!taken && m_writeObserver)
        m_writeObserver(property, value, true);
    return taken;
}

void X11DeviceProperties::setFloats(XAtom property, const std::vector<float>& values)
{
    RawProperty value{m_atoms.floatType, 32, values.size(), {}};
    value.bytes.resize(values.size() * sizeof(float));
    std::memcpy(value.bytes.data(), values.data(), value.bytes.size());
    writeRaw(property, value);
}

void X11DeviceProperties::setIntegers(XAtom property, const std::vector<std::int32_t>& values)
{
    const auto existing = raw(property);
    RawProperty value{existing ? existing->type : m_atoms.integerType,
                      existing ? existing->format : 32,
                      values.size(),
                      {}};
    value.bytes.resize(values.size() * (value.format / 8));
    for (std::size_t i = 0; i < values.size(); ++i)
        storeItem(value, i, values[i]);
    writeRaw(property, value);
}

} // namespace veloquill::x11
