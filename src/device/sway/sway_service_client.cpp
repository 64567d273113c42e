// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/sway/sway_service_client.h"

#include "device/hid_keys.h"
#include "device/hid_service_client_ops.h"
#include "device/libinput_mapping.h"
#include "device/sway/sway_session.h"
#include "support/fixed_point.h"
#include "support/log.h"

#include <QJsonArray>

#include <algorithm>
#include <cmath>

namespace veloquill::sway {

namespace {
constexpr std::int32_t kAccelerationOff = -static_cast<std::int32_t>(kFixedPointScale);
constexpr std::int32_t kAccelerationOn = static_cast<std::int32_t>(kFixedPointScale);

bool isAccelerationKey(const QString& key)
{
    return key == HidKey::PointerAcceleration || key == HidKey::MouseAcceleration ||
           key == HidKey::UseLinearScalingMouseAcceleration;
}

// Sway prints the speed libinput holds, which may differ in the last digits from the one sent.
bool sameSpeed(double held, double written)
{
    return std::abs(held - written) <= 1e-6;
}

// Sway answers a command with one object per command it ran; nothing when all succeeded, else
// the first error.
std::optional<QString> refusal(const std::optional<QJsonDocument>& reply)
{
    if (!reply)
        return QStringLiteral("the connection to Sway ended");
    for (const QJsonValue& result : reply->array()) {
        const QJsonObject object = result.toObject();
        if (!object.value(QStringLiteral("success")).toBool())
            return object.value(QStringLiteral("error")).toString(QStringLiteral("refused"));
    }
    return std::nullopt;
}
} // namespace

std::optional<SwayDeviceFacts> SwayDeviceFacts::fromInput(const QJsonObject& input)
{
    const QString type = input.value(QStringLiteral("type")).toString();
    const QJsonObject libinput = input.value(QStringLiteral("libinput")).toObject();
    const QJsonValue speed = libinput.value(QStringLiteral("accel_speed"));
    if ((type != QStringLiteral("pointer") && type != QStringLiteral("touchpad")) ||
        !speed.isDouble())
        return std::nullopt;
    SwayDeviceFacts facts;
    facts.identifier = input.value(QStringLiteral("identifier")).toString();
    facts.name = input.value(QStringLiteral("name")).toString();
    facts.vendor = static_cast<std::uint32_t>(input.value(QStringLiteral("vendor")).toInteger());
    facts.product = static_cast<std::uint32_t>(input.value(QStringLiteral("product")).toInteger());
    facts.current.speed = std::clamp(speed.toDouble(), libinput::kMinSpeed, libinput::kMaxSpeed);
    facts.current.flat =
        libinput.value(QStringLiteral("accel_profile")).toString() == QStringLiteral("flat");
    return facts;
}

SwayServiceClient::SwayServiceClient(std::weak_ptr<SwaySession> session, SwayDeviceFacts facts,
                                     std::uint64_t registryID)
    : m_session(std::move(session)), m_facts(std::move(facts)),
      m_quoted(quoted(m_facts.identifier)), m_registryID(registryID), m_firstSeen(m_facts.current),
      m_held(m_facts.current)
{}

std::shared_ptr<SwaySession> SwayServiceClient::presentSession() const
{
    auto session = m_session.lock();
    return session && !m_removal.left() && session->swayPresent() ? session : nullptr;
}

HidPropertyValue SwayServiceClient::copyProperty(const QString& key) const
{
    if (key == HidKey::Product)
        return HidPropertyValue::text(m_facts.name);
    if (key == HidKey::VendorID)
        return HidPropertyValue::integer(m_facts.vendor);
    if (key == HidKey::ProductID)
        return HidPropertyValue::integer(m_facts.product);
    if (key == HidKey::PointerAccelerationType)
        return HidPropertyValue::text(HidKey::PointerAcceleration);
    // Sway names no event node (so no serial number) and reports no defaults.
    if ((key != HidKey::PointerResolution && !isAccelerationKey(key)) || !presentSession())
        return {};
    if (key == HidKey::PointerResolution) {
        const auto resolution = libinput::resolutionForSpeed(m_held.speed);
        return resolution ? HidPropertyValue::integer(*resolution) : HidPropertyValue();
    }
    if (key == HidKey::UseLinearScalingMouseAcceleration)
        return HidPropertyValue::integer(m_held.flat ? 1 : 0);
    return HidPropertyValue::integer(m_held.flat ? kAccelerationOff : kAccelerationOn);
}

void SwayServiceClient::setProperty(const QString& key, const HidPropertyValue& value)
{
    const auto session = presentSession();
    // One line said so when it was listed.
    if (!session || !m_quoted)
        return;
    if (key == HidKey::PointerResolution) {
        std::optional<double> speed = m_firstSeen.speed;
        if (!value.isNull()) {
            const auto fixed = value.toInt32();
            speed = fixed ? libinput::speedForResolution(*fixed) : std::nullopt;
        }
        if (speed)
            write(*session, speed, std::nullopt);
        else
            logIgnoredWrite(kLogPrefix, *this, key, value,
                            QStringLiteral("not a positive 32-bit resolution"));
    } else if (key == HidKey::UseLinearScalingMouseAcceleration) {
        if (const auto linear = value.toInteger())
            write(*session, std::nullopt, *linear != 0);
        else if (value.isNull())
            write(*session, std::nullopt, m_firstSeen.flat);
        else
            logIgnoredWrite(kLogPrefix, *this, key, value, QStringLiteral("not an integer"));
    } else if (isAccelerationKey(key)) {
        // No amount of acceleration apart from the speed: only off or on is written.
        if (const auto amount = value.toInt32())
            write(*session, std::nullopt, *amount == kAccelerationOff);
        else if (value.isNull())
            write(*session, std::nullopt, m_firstSeen.flat);
        else
            logIgnoredWrite(kLogPrefix, *this, key, value, QStringLiteral("not a 32-bit integer"));
    } else {
        logIgnoredWrite(kLogPrefix, *this, key, value,
                        QStringLiteral("Sway does not let it be set"));
    }
}

void SwayServiceClient::write(SwaySession& session, std::optional<double> speed,
                              std::optional<bool> flat)
{
    const SwayWritten before = m_written;
    if (speed)
        m_written.speed = std::clamp(*speed, libinput::kMinSpeed, libinput::kMaxSpeed);
    if (flat)
        m_written.flat = *flat;
    // On record before it is sent: after a crash the device may hold it.
    if (!std::exchange(m_changed, true) || m_written != before)
        session.journalDevice(*this);
    const QString command =
        speed ? speedCommand(*m_quoted, *m_written.speed) : profileCommand(*m_quoted, *flat);
    session.connection().send(
        RunCommand, command.toUtf8(),
        [weakSelf = weak_from_this(), command, speed, before](const auto& reply) {
            const auto self = weakSelf.lock();
            const auto why = refusal(reply);
            if (!self)
                return;
            if (!why) {
                SwaySettings now = self->m_held;
                if (speed)
                    now.speed = *self->m_written.speed;
                else
                    now.flat = *self->m_written.flat;
                self->hold(now);
                return;
            }
            logLine(kLogPrefix + QStringLiteral("Sway refused '") + command +
                    QStringLiteral("': ") + *why);
            // The device kept what it held: that stays the value compared at quit.
            if (speed)
                self->m_written.speed = before.speed;
            else
                self->m_written.flat = before.flat;
            if (const auto session = self->m_session.lock())
                session->journalDevice(*self);
        });
}

void SwayServiceClient::hold(const SwaySettings& settings)
{
    m_held = settings;
}

HidRestoreOutcome SwayServiceClient::restoreFirstSeen()
{
    const auto session = m_session.lock();
    if (!session || !session->swayPresent())
        return HidRestoreOutcome::Unreachable;
    if (!m_changed || m_removal.left() || !m_quoted)
        return HidRestoreOutcome::Untouched;
    // Only what still holds this program's last write goes back.
    QStringList commands, keptByOthers;
    if (m_written.speed && !sameSpeed(m_held.speed, *m_written.speed))
        keptByOthers.append(QStringLiteral("pointer_accel"));
    else if (m_written.speed && m_held.speed != m_firstSeen.speed)
        commands.append(speedCommand(*m_quoted, m_firstSeen.speed));
    if (m_written.flat && m_held.flat != *m_written.flat)
        keptByOthers.append(QStringLiteral("accel_profile"));
    else if (m_written.flat && m_held.flat != m_firstSeen.flat)
        commands.append(profileCommand(*m_quoted, m_firstSeen.flat));
    if (!keptByOthers.isEmpty())
        logLine(kLogPrefix + describe() +
                QStringLiteral(" keeps what another program set since: ") +
                keptByOthers.join(QStringLiteral(", ")));
    // Shared with the answers, which may come after the wait gave up.
    struct Answers
    {
        int onTheirWay = 0;
        std::optional<QString> refused;
    };
    const auto answers = std::make_shared<Answers>();
    for (const QString& command : commands) {
        ++answers->onTheirWay;
        session->connection().send(
            RunCommand, command.toUtf8(), [answers, command](const auto& reply) {
                --answers->onTheirWay;
                const auto why = refusal(reply);
                if (why && !answers->refused)
                    answers->refused = QStringLiteral("'") + command + QStringLiteral("': ") + *why;
            });
    }
    if (!session->waitUntil([&] { return answers->onTheirWay == 0; }, session->restoreDeadline())) {
        logLine(kLogPrefix + QStringLiteral("no answer from Sway in time to the restore of ") +
                describe());
        return HidRestoreOutcome::Unconfirmed;
    }
    if (answers->refused) {
        logLine(kLogPrefix + QStringLiteral("Sway refused the restore ") + *answers->refused);
        return HidRestoreOutcome::Refused;
    }
    m_changed = false;
    m_written = {};
    session->forgetDevice(*this);
    return HidRestoreOutcome::Restored;
}

void SwayServiceClient::adoptOriginals(const SwaySettings& originals, const SwayWritten& written)
{
    m_firstSeen = originals;
    m_written = written;
    m_changed = true;
}

bool SwayServiceClient::conformsTo(std::uint32_t usagePage, std::uint32_t usage) const
{
    return isPointerOrMouseUsage(usagePage, usage);
}

HidRegistration SwayServiceClient::registerRemovalCallback(HidServiceCallback callback)
{
    return m_removal.add(std::move(callback), weak_from_this());
}

QString SwayServiceClient::describe() const
{
    return QStringLiteral("Sway device \"") + m_facts.identifier + QStringLiteral("\" (service ") +
           QString::number(m_registryID) + QLatin1Char(')');
}

void SwayServiceClient::leave()
{
    m_removal.leave(shared_from_this());
}

} // namespace veloquill::sway
