// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sim/simulated_service.h"

#include "device/hid_keys.h"
#include "support/fixed_point.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace veloquill::sim {

void postToMainLoop(std::function<void()> work)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work), Qt::QueuedConnection);
}

ServiceSpec ServiceSpec::mouse(const QString& name, std::int64_t vendorID, std::int64_t productID,
                               std::optional<QString> serialNumber, double resolution)
{
    ServiceSpec spec;
    spec.properties[HidKey::Product] = HidPropertyValue::text(name);
    spec.properties[HidKey::VendorID] = HidPropertyValue::integer(vendorID);
    spec.properties[HidKey::ProductID] = HidPropertyValue::integer(productID);
    if (serialNumber)
        spec.properties[HidKey::SerialNumber] = HidPropertyValue::text(*serialNumber);
    spec.properties[HidKey::PointerResolution] =
        HidPropertyValue::integer(static_cast<std::int64_t>(resolution * kFixedPointScale));
    spec.properties[HidKey::PointerAcceleration] = HidPropertyValue::integer(45056);
    spec.properties[HidKey::ButtonCount] = HidPropertyValue::integer(3);
    return spec;
}

SimulatedService::SimulatedService(ServiceSpec spec, std::uint64_t registryID)
    : m_spec(std::move(spec)), m_registryID(registryID)
{
    std::erase_if(m_spec.properties, [](const auto& entry) { return entry.second.isNull(); });
    m_firstSeen = m_spec.properties;
    // Named once, at arrival, so that log lines about one service always read the same.
    const auto product = property(HidKey::Product).toText();
    m_description = product ? QStringLiteral("SimulatedService(id=%1, \"%2\")")
                                  .arg(QString::number(m_registryID), *product)
                            : QStringLiteral("SimulatedService(id=%1)").arg(m_registryID);
}

HidRegistration SimulatedService::registerRemovalCallback(HidServiceCallback callback)
{
    auto registration = m_removalCallbacks.add(std::move(callback));
    // A service that is already gone tells a late registrant at once (on the main loop).
    if (m_removalDelivered)
        postToMainLoop([self = shared_from_this()] { self->deliverRemoval(); });
    return registration;
}

HidPropertyValue SimulatedService::property(const QString& key) const
{
    const auto found = m_spec.properties.find(key);
    return found == m_spec.properties.end() ? HidPropertyValue() : found->second;
}

void SimulatedService::leave()
{
    if (m_left)
        return;
    m_left = true;
    postToMainLoop([self = shared_from_this()] { self->deliverRemoval(); });
}

HidRestoreOutcome SimulatedService::restoreFirstSeen()
{
    if (m_unreachable)
        return HidRestoreOutcome::Unreachable;
    if (!m_changedByProgram || m_left)
        return HidRestoreOutcome::Untouched;
    m_writes.push_back({kRestoreWrite, {}});
    m_changedByProgram = false;
    m_spec.properties = m_firstSeen;
    return HidRestoreOutcome::Restored;
}

void SimulatedService::changePropertyExternally(const QString& key, const HidPropertyValue& value)
{
    if (value.isNull())
        m_spec.properties.erase(key);
    else
        m_spec.properties[key] = value;
}

void SimulatedService::deliverRemoval()
{
    m_removalDelivered = true;
    m_removalCallbacks.callOnce(shared_from_this());
}

} // namespace veloquill::sim
