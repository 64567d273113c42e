// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/x11_service_client.h"

#include "device/hid_service_client_ops.h"
#include "device/x11/x11_acceleration_keys.h"
#include "device/x11/x11_connection.h"
#include "device/x11/x11_pointer_curve.h"
#include "device/x11/x11_session.h"

namespace veloquill::x11 {

X11ServiceClient::X11ServiceClient(std::weak_ptr<X11Session> session, X11DeviceFacts facts,
                                   std::uint64_t registryID)
    : m_session(std::move(session)), m_facts(std::move(facts)), m_registryID(registryID)
{}

bool X11ServiceClient::isPresent() const
{
    const auto session = m_session.lock();
    return session && !m_removal.left() && !session->connection().isLost();
}

template <typename Action> auto X11ServiceClient::withKeys(Action action) const
{
    using Result = decltype(action(std::declval<X11KeyContext&>()));
    if (!isPresent())
        return Result();
    const auto session = m_session.lock();
    X11DeviceProperties properties(session->connection(), session->atoms(), m_facts.deviceId);
    X11KeyContext context{properties, session->atoms(), m_facts, m_memory,
                          session->connection().isLocal()};
    return action(context);
}

HidPropertyValue X11ServiceClient::copyProperty(const QString& key) const
{
    if (!isPresent())
        return readRememberedKey(m_memory, key);
    return withKeys([&](X11KeyContext& context) { return readKey(context, key); });
}

void X11ServiceClient::setProperty(const QString& key, const HidPropertyValue& value)
{
    withKeys([&](X11KeyContext& context) {
        context.properties.setWriteObserver(
            [this](XAtom property, const RawProperty& written, bool refused) {
                noteWrite(property, written, refused);
            });
        writeKey(context, key, value);
    });
}

void X11ServiceClient::noteWrite(XAtom property, const RawProperty& value, bool refused)
{
    auto& written = m_memory.written;
    const auto session = m_session.lock();
    if (refused) {
        // The device kept what it held; that stays the value to compare with at quit.
        if (!m_replaced || m_replaced->first != property || !session)
            return;
        if (m_replaced->second)
            written[property] = *m_replaced->second;
        else
            written.erase(property);
        m_replaced.reset();
        session->journalOriginals(m_facts, m_memory);
        return;
    }
    m_replaced.reset();
    const auto first = m_memory.firstSeen.find(property);
    const auto known = written.find(property);
    const bool rewritesOriginal =
        !m_memory.changed && first != m_memory.firstSeen.end() && first->second == value;
    if (rewritesOriginal || (known != written.end() && known->second == value) || !session)
        return;
    m_replaced.emplace(property, known == written.end()
                                     ? std::nullopt
                                     : std::optional<std::optional<RawProperty>>(known->second));
    written[property] = value;
    m_memory.changed = true;
    session->journalOriginals(m_facts, m_memory);
}

HidRestoreOutcome X11ServiceClient::restoreFirstSeen()
{
    const auto session = m_session.lock();
    if (!session || session->connection().isLost())
        return HidRestoreOutcome::Unreachable;
    if (!m_memory.changed || m_removal.left())
        return HidRestoreOutcome::Untouched;
    return session->restoreDevice(m_facts, m_memory);
}

void X11ServiceClient::sendRestore()
{
    const auto session = m_session.lock();
    if (session && !session->connection().isLost() && m_memory.changed && !m_removal.left())
        session->sendRestore(m_facts, m_memory);
}

void X11ServiceClient::adoptOriginals(const X11KeyMemory& journalled)
{
    for (const auto& [property, value] : journalled.firstSeen)
        m_memory.firstSeen[property] = value;
    // Properties the device has now but the journal does not name were not changed.
    m_memory.written = journalled.written;
    m_memory.changed = true;
}

void X11ServiceClient::rememberFirstSeen()
{
    withKeys([](X11KeyContext& context) { x11::rememberFirstSeen(context); });
}

bool X11ServiceClient::conformsTo(std::uint32_t usagePage, std::uint32_t usage) const
{
    return isPointerOrMouseUsage(usagePage, usage);
}

HidRegistration X11ServiceClient::registerRemovalCallback(HidServiceCallback callback)
{
    return m_removal.add(std::move(callback), weak_from_this());
}

QString X11ServiceClient::describe() const
{
    return QStringLiteral("XInput ") + describeDevice(m_facts) + QStringLiteral(" (service ") +
           QString::number(m_registryID) + QLatin1Char(')');
}

void X11ServiceClient::leave()
{
    // Keeps this object alive should a callback drop the last reference to it.
    m_removal.leave(shared_from_this());
}

std::optional<PointerCurveModel> X11ServiceClient::curveModel() const
{
    return withKeys([](X11KeyContext& context) -> std::optional<PointerCurveModel> {
        switch (accelerationKind(context)) {
        case AccelerationKind::Libinput:
            if (offersCustomProfile(context))
                return x11::curveModel(PointerCurveModel::Kind::X11Libinput);
            return PointerCurveModel{PointerCurveModel::Kind::Libinput, true};
        case AccelerationKind::Server:
            return x11::curveModel(PointerCurveModel::Kind::X11Server);
        case AccelerationKind::None:
            break;
        }
        return std::nullopt;
    });
}

} // namespace veloquill::x11
