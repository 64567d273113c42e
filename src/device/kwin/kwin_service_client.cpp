// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/kwin/kwin_service_client.h"

#include "device/hid_keys.h"
#include "device/hid_service_client_ops.h"
#include "device/kwin/kwin_dbus.h"
#include "device/kwin/kwin_session.h"
#include "device/libinput_mapping.h"
#include "device/udev_serial.h"
#include "support/fixed_point.h"
#include "support/log.h"

#include <algorithm>
#include <cmath>

namespace veloquill::kwin {

namespace {
// The layer's acceleration values: off, and the neutral amount an adaptive profile reads as.
constexpr std::int32_t kAccelerationOff = -static_cast<std::int32_t>(kFixedPointScale);
constexpr std::int32_t kAccelerationOn = static_cast<std::int32_t>(kFixedPointScale);

bool isAccelerationKey(const QString& key)
{
    return key == HidKey::PointerAcceleration || key == HidKey::MouseAcceleration ||
           key == HidKey::UseLinearScalingMouseAcceleration;
}

// KWin keeps the speed in kcminputrc with three decimals: after it restarts, a device reads
// back what was written rounded so.
bool sameSpeed(double held, double written)
{
    return std::abs(held - written) <= 0.0005 + 1e-9;
}

QVariant currentOrDefault(const QVariantMap& properties, const QString& name)
{
    if (properties.contains(name))
        return properties.value(name);
    return properties.value(QStringLiteral("default") + name.at(0).toUpper() + name.mid(1));
}
} // namespace

std::optional<KWinDeviceFacts> KWinDeviceFacts::fromProperties(const QString& sysName,
                                                               const QVariantMap& properties)
{
    if (!properties.value(QStringLiteral("pointer")).toBool() ||
        !properties.value(QStringLiteral("supportsPointerAcceleration")).toBool())
        return std::nullopt;
    KWinDeviceFacts facts;
    facts.sysName = sysName;
    facts.name = properties.value(QStringLiteral("name")).toString();
    facts.vendor = properties.value(QStringLiteral("vendor")).toUInt();
    facts.product = properties.value(QStringLiteral("product")).toUInt();
    facts.supportsFlat =
        properties.value(QStringLiteral("supportsPointerAccelerationProfileFlat")).toBool();
    facts.supportsAdaptive =
        properties.value(QStringLiteral("supportsPointerAccelerationProfileAdaptive")).toBool();
    facts.current = {currentOrDefault(properties, Property::Speed).toDouble(),
                     currentOrDefault(properties, Property::Flat).toBool(),
                     currentOrDefault(properties, Property::Adaptive).toBool()};
    const QString defaultSpeed = QStringLiteral("defaultPointerAcceleration");
    const QString defaultFlat = QStringLiteral("defaultPointerAccelerationProfileFlat");
    const QString defaultAdaptive = QStringLiteral("defaultPointerAccelerationProfileAdaptive");
    if (properties.contains(defaultSpeed))
        facts.defaultSpeed = properties.value(defaultSpeed).toDouble();
    if (properties.contains(defaultFlat))
        facts.defaultFlat = properties.value(defaultFlat).toBool();
    else if (properties.contains(defaultAdaptive))
        facts.defaultFlat = !properties.value(defaultAdaptive).toBool();
    // KWin names libinput's device by its event node, as the X server's "Device Node" does.
    if (!sysName.contains(QLatin1Char('/')))
        facts.serialNumber = udevSerialForDeviceNode(QStringLiteral("/dev/input/") + sysName);
    return facts;
}

KWinServiceClient::KWinServiceClient(std::weak_ptr<KWinSession> session, KWinDeviceFacts facts,
                                     std::uint64_t registryID)
    : m_session(std::move(session)), m_facts(std::move(facts)), m_registryID(registryID),
      m_firstSeen(m_facts.current), m_held(m_facts.current)
{}

std::shared_ptr<KWinSession> KWinServiceClient::presentSession() const
{
    auto session = m_session.lock();
    return session && !m_removal.left() && session->kwinPresent() ? session : nullptr;
}

HidPropertyValue KWinServiceClient::copyProperty(const QString& key) const
{
    if (key == HidKey::Product)
        return HidPropertyValue::text(m_facts.name);
    if (key == HidKey::VendorID)
        return HidPropertyValue::integer(m_facts.vendor);
    if (key == HidKey::ProductID)
        return HidPropertyValue::integer(m_facts.product);
    if (key == HidKey::SerialNumber)
        return m_facts.serialNumber ? HidPropertyValue::text(*m_facts.serialNumber)
                                    : HidPropertyValue();
    // Named outright, so the layer need not ask KWin which key holds the acceleration.
    if (key == HidKey::PointerAccelerationType)
        return HidPropertyValue::text(HidKey::PointerAcceleration);
    const bool isDefault =
        key == HidKey::PointerResolutionDefault || key == HidKey::PointerAccelerationDefault;
    if (key != HidKey::PointerResolution && !isAccelerationKey(key) && !isDefault)
        return {};
    if (!presentSession())
        return {};
    if (isDefault)
        return readDefault(key);
    refresh();
    if (key == HidKey::PointerResolution) {
        const auto resolution = libinput::resolutionForSpeed(m_held.speed);
        return resolution ? HidPropertyValue::integer(*resolution) : HidPropertyValue();
    }
    if (key == HidKey::UseLinearScalingMouseAcceleration)
        return HidPropertyValue::integer(m_held.flat ? 1 : 0);
    return HidPropertyValue::integer(m_held.flat ? kAccelerationOff : kAccelerationOn);
}

HidPropertyValue KWinServiceClient::readDefault(const QString& key) const
{
    if (key == HidKey::PointerResolutionDefault) {
        const auto resolution = m_facts.defaultSpeed
                                    ? libinput::resolutionForSpeed(*m_facts.defaultSpeed)
                                    : std::nullopt;
        return resolution ? HidPropertyValue::integer(*resolution) : HidPropertyValue();
    }
    if (!m_facts.defaultFlat)
        return {};
    return HidPropertyValue::integer(*m_facts.defaultFlat ? kAccelerationOff : kAccelerationOn);
}

void KWinServiceClient::refresh() const
{
    const auto session = presentSession();
    if (!session || m_refreshing)
        return;
    m_refreshing = true;
    session->calls().deviceProperties(
        m_facts.sysName,
        [weakSelf = std::weak_ptr(std::const_pointer_cast<KWinServiceClient>(shared_from_this())),
         writesSent = m_writesSent](const std::optional<QVariantMap>& properties) {
            const auto self = weakSelf.lock();
            if (!self)
                return;
            self->m_refreshing = false;
            if (properties)
                self->refreshed(*properties, writesSent);
        });
}

void KWinServiceClient::refreshed(const QVariantMap& properties, std::uint64_t writesSent)
{
    const auto session = presentSession();
    const auto facts = KWinDeviceFacts::fromProperties(m_facts.sysName, properties);
    // A write sent since, or still on its way, says what the device holds when answered.
    const bool writing = std::any_of(m_pending.begin(), m_pending.end(),
                                     [](const auto& p) { return p.second.onTheirWay > 0; });
    if (!session || !facts || writing || writesSent != m_writesSent)
        return;
    m_held = facts->current;
}

void KWinServiceClient::setProperty(const QString& key, const HidPropertyValue& value)
{
    const auto session = presentSession();
    const bool writable = key == HidKey::PointerResolution || isAccelerationKey(key);
    if (!session || !writable) {
        if (session)
            logIgnoredWrite(kLogPrefix, *this, key, value,
                            QStringLiteral("KWin does not let it be set"));
        return;
    }
    if (key == HidKey::PointerResolution) {
        writeResolution(*session, value);
    } else if (value.isNull()) {
        writeProfile(*session, m_firstSeen.flat, value, key);
    } else if (key == HidKey::UseLinearScalingMouseAcceleration) {
        const auto linear = value.toInteger();
        if (linear)
            writeProfile(*session, *linear != 0, value, key);
        else
            logIgnoredWrite(kLogPrefix, *this, key, value, QStringLiteral("not an integer"));
    } else {
        // KWin has no amount of acceleration apart from the speed: only off or on is written.
        const auto amount = value.toInt32();
        if (amount)
            writeProfile(*session, *amount == kAccelerationOff, value, key);
        else
            logIgnoredWrite(kLogPrefix, *this, key, value, QStringLiteral("not a 32-bit integer"));
    }
}

void KWinServiceClient::writeResolution(KWinSession& session, const HidPropertyValue& value)
{
    std::optional<double> speed = m_firstSeen.speed;
    if (!value.isNull()) {
        const auto fixed = value.toInt32();
        speed = fixed ? libinput::speedForResolution(*fixed) : std::nullopt;
    }
    if (!speed) {
        logIgnoredWrite(kLogPrefix, *this, HidKey::PointerResolution, value,
                        QStringLiteral("not a positive 32-bit resolution"));
        return;
    }
    write(session, Setting::Speed, Property::Speed, *speed);
}

void KWinServiceClient::writeProfile(KWinSession& session, bool flat, const HidPropertyValue& value,
                                     const QString& key)
{
    if (!(flat ? m_facts.supportsFlat : m_facts.supportsAdaptive)) {
        logIgnoredWrite(kLogPrefix, *this, key, value,
                        flat ? QStringLiteral("the device has no flat acceleration profile")
                             : QStringLiteral("the device has no adaptive acceleration profile"));
        return;
    }
    write(session, Setting::Profile, flat ? Property::Flat : Property::Adaptive, true);
}

void KWinServiceClient::write(KWinSession& session, Setting setting, const QString& property,
                              const QVariant& value)
{
    PendingWrites& pending = m_pending[setting];
    if (pending.onTheirWay > 0)
        pending.waiting = std::pair(property, value);
    else
        send(session, setting, property, value);
}

void KWinServiceClient::send(KWinSession& session, Setting setting, const QString& property,
                             const QVariant& value)
{
    ++m_pending[setting].onTheirWay;
    ++m_writesSent;
    // On record before it is sent: after a crash the device may hold it.
    const KWinWritten before = m_written;
    if (setting == Setting::Speed)
        m_written.speed = std::clamp(value.toDouble(), libinput::kMinSpeed, libinput::kMaxSpeed);
    else
        m_written.flat = property == Property::Flat;
    if (!std::exchange(m_changed, true) || m_written != before)
        session.journalDevice(*this);
    session.calls().setDeviceProperty(
        m_facts.sysName, property, value,
        [weakSelf = weak_from_this(), setting, property, value, before](SetAnswer answer) {
            const auto self = weakSelf.lock();
            if (!self)
                return;
            // Refused, the device kept what it held: that stays the value compared at quit.
            if (answer == SetAnswer::Refused) {
                if (setting == Setting::Speed)
                    self->m_written.speed = before.speed;
                else
                    self->m_written.flat = before.flat;
                if (const auto session = self->m_session.lock())
                    session->journalDevice(*self);
            }
            self->answered(setting, property, value, answer == SetAnswer::Taken);
        });
}

void KWinServiceClient::answered(Setting setting, const QString& property, const QVariant& value,
                                 bool taken)
{
    PendingWrites& pending = m_pending[setting];
    --pending.onTheirWay;
    if (taken)
        took(property, value);
    const auto session = presentSession();
    if (session && pending.onTheirWay == 0 && pending.waiting) {
        const auto [next, nextValue] = *std::exchange(pending.waiting, std::nullopt);
        send(*session, setting, next, nextValue);
    }
}

void KWinServiceClient::took(const QString& property, const QVariant& value)
{
    if (property == Property::Speed) {
        m_held.speed = std::clamp(value.toDouble(), libinput::kMinSpeed,
                                  libinput::kMaxSpeed); // as KWin clamps
    } else {
        m_held.flat = property == Property::Flat;
        m_held.adaptive = !m_held.flat;
    }
}

void KWinServiceClient::sendRestore()
{
    const auto session = presentSession();
    if (!session || !m_changed || m_restore)
        return;
    // The restore comes after every write on its way and replaces those held back.
    for (auto& [setting, pending] : m_pending)
        pending.waiting.reset();
    m_restore = std::make_shared<RestoreWrites>();
    ++m_restore->onTheirWay;
    session->calls().deviceProperties(m_facts.sysName,
                                      [weakSelf = weak_from_this(), restore = m_restore](
                                          const std::optional<QVariantMap>& properties) {
                                          const auto self = weakSelf.lock();
                                          if (self && properties)
                                              self->restoreFrom(*properties, restore);
                                          else
                                              restore->unanswered = true;
                                          --restore->onTheirWay;
                                      });
}

void KWinServiceClient::restoreFrom(const QVariantMap& properties,
                                    const std::shared_ptr<RestoreWrites>& restore)
{
    const auto session = presentSession();
    const auto facts = KWinDeviceFacts::fromProperties(m_facts.sysName, properties);
    if (!session || !facts) {
        restore->unanswered = true;
        return;
    }
    m_held = facts->current;
    // Only what still holds this program's last write goes back; what the device already
    // holds is not written again.
    std::vector<std::pair<QString, QVariant>> writes;
    if (m_written.speed && !sameSpeed(m_held.speed, *m_written.speed))
        restore->keptByOthers.append(Property::Speed);
    else if (m_written.speed && m_held.speed != m_firstSeen.speed)
        writes.emplace_back(Property::Speed, m_firstSeen.speed);
    const bool profileIsOurs =
        m_written.flat && m_held.flat == *m_written.flat && m_held.adaptive == !*m_written.flat;
    // A profile KWin does not name (neither flat nor adaptive) cannot be set back.
    const bool profileCanGoBack = (m_firstSeen.flat && m_facts.supportsFlat) ||
                                  (m_firstSeen.adaptive && m_facts.supportsAdaptive);
    if (m_written.flat && !profileIsOurs)
        restore->keptByOthers.append(*m_written.flat ? Property::Flat : Property::Adaptive);
    else if (profileIsOurs && profileCanGoBack && m_held.flat != m_firstSeen.flat)
        writes.emplace_back(m_firstSeen.flat ? Property::Flat : Property::Adaptive, true);
    for (const auto& [property, value] : writes) {
        ++restore->onTheirWay;
        ++m_writesSent;
        session->calls().setDeviceProperty(
            m_facts.sysName, property, value,
            [weakSelf = weak_from_this(), restore, property, value](SetAnswer answer) {
                --restore->onTheirWay;
                restore->refused |= answer == SetAnswer::Refused;
                restore->unanswered |= answer == SetAnswer::Unanswered;
                const auto self = weakSelf.lock();
                if (self && answer == SetAnswer::Taken)
                    self->took(property, value);
            });
    }
}

HidRestoreOutcome KWinServiceClient::restoreFirstSeen()
{
    const auto session = m_session.lock();
    if (!session || !session->kwinPresent())
        return HidRestoreOutcome::Unreachable;
    if (!m_changed || m_removal.left())
        return HidRestoreOutcome::Untouched;
    sendRestore();
    const auto restore = std::exchange(m_restore, nullptr);
    // A write KWin did not take leaves the originals in the journal for the next run.
    if (!session->waitUntil([&restore] { return restore->onTheirWay == 0; },
                            session->restoreDeadline())) {
        logLine(kLogPrefix + QStringLiteral("no answer from KWin in time to the restore of ") +
                describe());
        return HidRestoreOutcome::Unconfirmed;
    }
    if (!restore->keptByOthers.isEmpty())
        logLine(kLogPrefix + describe() +
                QStringLiteral(" keeps what another program set since: ") +
                restore->keptByOthers.join(QStringLiteral(", ")));
    if (restore->refused)
        return HidRestoreOutcome::Refused;
    if (restore->unanswered)
        return HidRestoreOutcome::Unreachable;
    m_changed = false;
    m_written = {};
    session->forgetDevice(*this);
    return HidRestoreOutcome::Restored;
}

void KWinServiceClient::adoptOriginals(const KWinPointerSettings& originals,
                                       const KWinWritten& written)
{
    m_firstSeen = originals;
    m_written = written;
    m_changed = true;
}

bool KWinServiceClient::conformsTo(std::uint32_t usagePage, std::uint32_t usage) const
{
    return isPointerOrMouseUsage(usagePage, usage);
}

HidRegistration KWinServiceClient::registerRemovalCallback(HidServiceCallback callback)
{
    return m_removal.add(std::move(callback), weak_from_this());
}

QString KWinServiceClient::describe() const
{
    return QStringLiteral("KWin device ") + m_facts.sysName + QStringLiteral(" \"") + m_facts.name +
           QStringLiteral("\" (service ") + QString::number(m_registryID) + QLatin1Char(')');
}

void KWinServiceClient::leave()
{
    // Keeps this object alive should a callback drop the last reference to it.
    m_removal.leave(shared_from_this());
}

} // namespace veloquill::kwin
