// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/kwin/kwin_device.h"

#include "device/kwin/kwin_dbus.h"
#include "device/kwin/kwin_session.h"
#include "device/udev_pointer_devices.h"

namespace veloquill::kwin {

namespace {
// KWin keeps the speed in kcminputrc with three decimals: after it restarts, a device reads
// back what was written rounded so.
constexpr double kSpeedTolerance = 0.0005 + 1e-9;

// KWin names a property's default "default" and the name, capitalised.
QString defaultOf(const QString& name)
{
    return QStringLiteral("default") + name.at(0).toUpper() + name.mid(1);
}

QVariant currentOrDefault(const QVariantMap& properties, const QString& name)
{
    return properties.value(name, properties.value(defaultOf(name)));
}
} // namespace

std::optional<KWinDeviceFacts> KWinDeviceFacts::fromProperties(const QString& sysName,
                                                               const QVariantMap& properties)
{
    const auto flag = [&](const char* name) {
        return properties.value(QLatin1String(name)).toBool();
    };
    if (!flag("pointer") || !flag("supportsPointerAcceleration"))
        return std::nullopt;
    KWinDeviceFacts facts;
    facts.sysName = sysName;
    facts.identity = {properties.value(QStringLiteral("name")).toString(),
                      properties.value(QStringLiteral("vendor")).toUInt(),
                      properties.value(QStringLiteral("product")).toUInt(),
                      {}};
    facts.supportsFlat = flag("supportsPointerAccelerationProfileFlat");
    facts.supportsAdaptive = flag("supportsPointerAccelerationProfileAdaptive");
    facts.current = {
        currentOrDefault(properties, Property::Speed).toDouble(),
        libinput::profileOf(currentOrDefault(properties, Property::Flat).toBool(),
                            currentOrDefault(properties, Property::Adaptive).toBool())};
    const QVariant speed = properties.value(defaultOf(Property::Speed));
    const QVariant flat = properties.value(defaultOf(Property::Flat));
    const QVariant adaptive = properties.value(defaultOf(Property::Adaptive));
    if (speed.isValid())
        facts.defaults.speed = speed.toDouble();
    if (flat.isValid() || adaptive.isValid())
        facts.defaults.flat = flat.isValid() ? flat.toBool() : !adaptive.toBool();
    // KWin names libinput's device by its event node, as the X server's "Device Node" does.
    if (!sysName.contains(QLatin1Char('/')))
        facts.identity.serialNumber =
            udevSerialForDeviceNode(QStringLiteral("/dev/input/") + sysName);
    return facts;
}

KWinDevice::KWinDevice(std::weak_ptr<KWinSession> session, KWinDeviceFacts facts,
                       std::uint64_t registryID)
    : JournaledLibinputService(std::move(session), std::move(facts), registryID, kLogPrefix,
                               QStringLiteral("KWin"), kSpeedTolerance)
{}

libinput::Values KWinDevice::current() const
{
    const auto session = presentSession();
    if (!session || std::exchange(m_refreshing, true))
        return m_model.heldValues();
    session->calls().deviceProperties(
        m_facts.sysName, [weakSelf = const_cast<KWinDevice*>(this)->weakSelf<KWinDevice>(),
                          writesSent = m_writesSent](const std::optional<QVariantMap>& properties) {
            const auto self = weakSelf.lock();
            if (!self)
                return;
            self->m_refreshing = false;
            const auto facts =
                properties ? KWinDeviceFacts::fromProperties(self->m_facts.sysName, *properties)
                           : std::nullopt;
            // A write sent since, or still on its way, says what the device holds when answered.
            if (self->presentSession() && facts && !self->m_writes.onTheirWay() &&
                writesSent == self->m_writesSent)
                self->m_model.hold(facts->current);
        });
    return m_model.heldValues();
}

QString KWinDevice::writeProfile(std::optional<bool> flat)
{
    const bool toFlat = flat.value_or(m_model.firstSeen().profile == libinput::Profile::Flat);
    if (!(toFlat ? m_facts.supportsFlat : m_facts.supportsAdaptive))
        return toFlat ? QStringLiteral("the device has no flat acceleration profile")
                      : QStringLiteral("the device has no adaptive acceleration profile");
    m_writes.write({std::nullopt, toFlat});
    return {};
}

void KWinDevice::transmit(KWinSession& session, const libinput::Values& write, Answered answered)
{
    ++m_writesSent;
    // One write carries the speed or switches one profile on.
    const QString& name =
        write.speed ? Property::Speed : (*write.flat ? Property::Flat : Property::Adaptive);
    const QVariant value = write.speed ? QVariant(*write.speed) : QVariant(true);
    // KWin's D-Bus calls log their own errors.
    session.calls().setDeviceProperty(
        m_facts.sysName, name, value,
        [answered = std::move(answered)](libinput::WriteAnswer answer) { answered(answer, {}); });
}

void KWinDevice::sendRestore()
{
    const auto session = presentSession();
    if (!session || !m_model.changed() || m_restore)
        return;
    // The restore comes after every write on its way and replaces those held back.
    m_writes.dropWaiting();
    m_restore = std::make_shared<libinput::RestoreWrites>();
    ++m_restore->onTheirWay;
    session->calls().deviceProperties(
        m_facts.sysName, [weakSelf = weakSelf<KWinDevice>(),
                          restore = m_restore](const std::optional<QVariantMap>& properties) {
            --restore->onTheirWay;
            const auto self = weakSelf.lock();
            const auto session = self ? self->presentSession() : nullptr;
            const auto facts =
                session && properties
                    ? KWinDeviceFacts::fromProperties(self->m_facts.sysName, *properties)
                    : std::nullopt;
            if (!facts) {
                restore->unanswered = true;
                return;
            }
            self->m_model.hold(facts->current);
            self->sendRestoreWrites(*session,
                                    self->m_model.planRestore(self->m_facts.supportsFlat,
                                                              self->m_facts.supportsAdaptive),
                                    restore);
        });
}

std::shared_ptr<libinput::RestoreWrites> KWinDevice::restoreWrites()
{
    // Sent already when the restore at quit began; a write KWin did not take leaves the
    // originals in the journal for the next run.
    sendRestore();
    return std::exchange(m_restore, nullptr);
}

} // namespace veloquill::kwin
