// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/sway/sway_service_client.h"

#include "device/libinput_mapping.h"
#include "device/sway/sway_session.h"
#include "support/log.h"

#include <QJsonArray>

#include <algorithm>

namespace veloquill::sway {

namespace {
// Sway prints the speed libinput holds, which may differ in the last digits from the one sent.
constexpr double kSpeedTolerance = 1e-6;

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
    facts.identity = {
        input.value(QStringLiteral("name")).toString(),
        static_cast<std::uint32_t>(input.value(QStringLiteral("vendor")).toInteger()),
        static_cast<std::uint32_t>(input.value(QStringLiteral("product")).toInteger()),
        {}};
    const bool flat =
        libinput.value(QStringLiteral("accel_profile")).toString() == QStringLiteral("flat");
    facts.current = {std::clamp(speed.toDouble(), libinput::kMinSpeed, libinput::kMaxSpeed),
                     flat ? libinput::Profile::Flat : libinput::Profile::Adaptive};
    return facts;
}

SwayServiceClient::SwayServiceClient(std::weak_ptr<SwaySession> session, SwayDeviceFacts facts,
                                     std::uint64_t registryID)
    : LibinputService(registryID, kLogPrefix, QStringLiteral("Sway")),
      m_session(std::move(session)), m_facts(std::move(facts)),
      m_quoted(quoted(m_facts.identifier)), m_model(m_facts.current, kSpeedTolerance),
      m_writes([this](const libinput::Values& value) { send(value); })
{}

std::shared_ptr<SwaySession> SwayServiceClient::presentSession() const
{
    auto session = m_session.lock();
    return session && !hasLeft() && session->swayPresent() ? session : nullptr;
}

QString SwayServiceClient::writeSpeed(std::optional<double> speed)
{
    m_writes.write({speed.value_or(m_model.firstSeen().speed), std::nullopt});
    return {};
}

QString SwayServiceClient::writeProfile(std::optional<bool> flat)
{
    m_writes.write(
        {std::nullopt, flat.value_or(m_model.firstSeen().profile == libinput::Profile::Flat)});
    return {};
}

QString SwayServiceClient::command(const libinput::Values& value) const
{
    return value.speed ? speedCommand(*m_quoted, *value.speed)
                       : profileCommand(*m_quoted, *value.flat);
}

void SwayServiceClient::send(const libinput::Values& value)
{
    const auto session = presentSession();
    const libinput::Values before =
        session->journal().recordWrite(journalIdentity(), m_model, value);
    const libinput::Values sent{value.speed ? m_model.written().speed : std::nullopt, value.flat};
    const QString text = command(sent);
    session->connection().send(
        RunCommand, text.toUtf8(),
        [weakSelf = std::weak_ptr(std::static_pointer_cast<SwayServiceClient>(shared_from_this())),
         text, value, sent, before](const auto& reply) {
            const auto self = weakSelf.lock();
            const auto why = refusal(reply);
            if (!self)
                return;
            if (!why) {
                self->m_model.took(sent);
            } else {
                logLine(kLogPrefix + QStringLiteral("Sway refused '") + text +
                        QStringLiteral("': ") + *why);
                if (const auto session = self->m_session.lock())
                    session->journal().refused(self->journalIdentity(), self->m_model, sent,
                                               before);
            }
            self->m_writes.answered(value, self->acceptsWrites());
        });
}

HidRestoreOutcome SwayServiceClient::restoreFirstSeen()
{
    const auto session = m_session.lock();
    if (!session || !session->swayPresent())
        return HidRestoreOutcome::Unreachable;
    if (!m_model.changed() || hasLeft() || !m_quoted)
        return HidRestoreOutcome::Untouched;
    // The restore comes after every command on its way and replaces those held back.
    m_writes.dropWaiting();
    const libinput::RestorePlan plan = m_model.planRestore();
    // Shared with the answers, which may come after the wait gave up.
    const auto restore = std::make_shared<libinput::RestoreWrites>();
    restore->keptByOthers = session->journal().keptByOthers(plan, m_model.written());
    for (const libinput::Values& value : libinput::eachSetting(plan.writes)) {
        const QString text = command(value);
        ++restore->onTheirWay;
        session->connection().send(RunCommand, text.toUtf8(), [restore, text](const auto& reply) {
            --restore->onTheirWay;
            const auto why = refusal(reply);
            if (why && !restore->refused)
                restore->refusal = QStringLiteral("'") + text + QStringLiteral("': ") + *why;
            restore->refused |= why.has_value();
        });
    }
    return session->journal().finishRestore(*restore, m_model, journalIdentity(), describe());
}

JournalDevice SwayServiceClient::journalIdentity() const
{
    return identityOf(m_facts);
}

QString SwayServiceClient::describe() const
{
    return QStringLiteral("Sway device \"") + m_facts.identifier + QStringLiteral("\" (service ") +
           QString::number(registryID()) + QLatin1Char(')');
}

} // namespace veloquill::sway
