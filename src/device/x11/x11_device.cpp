// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/x11_device.h"

#include "device/x11/x11_connection.h"
#include "device/x11/x11_device_mapping.h"
#include "device/x11/x11_session.h"

namespace veloquill::x11 {

X11Device::X11Device(std::weak_ptr<X11Session> session, X11DeviceFacts facts,
                     std::uint64_t registryID)
    : m_session(std::move(session)), m_facts(std::move(facts)), m_registryID(registryID)
{}

bool X11Device::isPresent() const
{
    const auto session = m_session.lock();
    return session && !m_removal.left() && !session->connection().isLost();
}

template <typename Action> auto X11Device::withDevice(Action action) const
{
    using Result = decltype(action(std::declval<X11DeviceContext&>()));
    if (!isPresent())
        return Result();
    const auto session = m_session.lock();
    X11DeviceProperties properties(session->connection(), session->atoms(), m_facts.deviceId);
    X11DeviceContext context{properties, session->atoms(), m_facts, m_memory,
                             session->connection().isLocal()};
    return action(context);
}

DeviceIdentity X11Device::deviceIdentity() const
{
    if (!isPresent())
        return m_memory.identity;
    return withDevice([](X11DeviceContext& context) { return readIdentity(context); });
}

PointerSettings X11Device::settings() const
{
    return withDevice([](X11DeviceContext& context) { return readSettings(context); });
}

PointerSettings X11Device::defaultSettings() const
{
    return withDevice([](X11DeviceContext& context) { return readDefaults(context); });
}

template <typename Write> void X11Device::write(Write write)
{
    withDevice([&](X11DeviceContext& context) {
        context.properties.setWriteObserver(
            [this](XAtom property, const RawProperty& written, bool refused) {
                noteWrite(property, written, refused);
            });
        write(context);
    });
}

void X11Device::setGain(double gain)
{
    write([gain](X11DeviceContext& context) { writeGain(context, gain); });
}

void X11Device::setAcceleration(double amount)
{
    write([amount](X11DeviceContext& context) { writeAcceleration(context, amount); });
}

void X11Device::setAccelerationOff()
{
    write([](X11DeviceContext& context) { writeAccelerationOff(context); });
}

void X11Device::noteWrite(XAtom property, const RawProperty& value, bool refused)
{
    auto& written = m_memory.written;
    const auto session = m_session.lock();
    if (refused) {
        // The device kept what it held; that stays the value to compare with at quit.
        if (!m_writtenBefore || !session)
            return;
        written = *std::exchange(m_writtenBefore, std::nullopt);
        session->journalOriginals(m_facts, m_memory);
        return;
    }
    m_writtenBefore.reset();
    const auto first = m_memory.firstSeen.find(property);
    const auto known = written.find(property);
    const bool rewritesOriginal =
        !m_memory.changed && first != m_memory.firstSeen.end() && first->second == value;
    if (rewritesOriginal || (known != written.end() && known->second == value) || !session)
        return;
    m_writtenBefore = written;
    written[property] = value;
    m_memory.changed = true;
    session->journalOriginals(m_facts, m_memory);
}

RestoreOutcome X11Device::restoreFirstSeen()
{
    const auto session = m_session.lock();
    if (!session || session->connection().isLost())
        return RestoreOutcome::Unreachable;
    X11DeviceMemory* memory = memoryToRestore();
    return memory ? session->restoreDevice(m_facts, *memory) : RestoreOutcome::Untouched;
}

void X11Device::adoptOriginals(const X11DeviceMemory& journalled)
{
    for (const auto& [property, value] : journalled.firstSeen)
        m_memory.firstSeen[property] = value;
    // Properties the device has now but the journal does not name were not changed.
    m_memory.written = journalled.written;
    m_memory.changed = true;
}

void X11Device::rememberFirstSeen()
{
    withDevice([](X11DeviceContext& context) {
        readIdentity(context);
        for (XAtom property : rememberedProperties(context.atoms)) {
            if (const auto value = context.properties.raw(property))
                context.memory.firstSeen.emplace(property, *value);
        }
    });
}

HidRegistration X11Device::onRemoved(BackendDeviceCallback callback)
{
    return m_removal.add(std::move(callback), weak_from_this());
}

QString X11Device::describe() const
{
    return QStringLiteral("XInput ") + describeDevice(m_facts) + QStringLiteral(" (service ") +
           QString::number(m_registryID) + QLatin1Char(')');
}

void X11Device::leave()
{
    // Keeps this object alive should a callback drop the last reference to it.
    m_removal.leave(shared_from_this());
}

std::optional<PointerCurveModel> X11Device::curveModel() const
{
    return withDevice([](X11DeviceContext& context) { return x11::curveModel(context); });
}

} // namespace veloquill::x11
