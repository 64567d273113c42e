// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/sway/sway_device.h"

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

SwayDevice::SwayDevice(std::weak_ptr<SwaySession> session, SwayDeviceFacts facts,
                       std::uint64_t registryID)
    : JournaledLibinputService(std::move(session), std::move(facts), registryID, kLogPrefix,
                               QStringLiteral("Sway"), kSpeedTolerance),
      m_quoted(quoted(m_facts.identifier))
{}

QString SwayDevice::command(const libinput::Values& value) const
{
    return value.speed ? speedCommand(*m_quoted, *value.speed)
                       : profileCommand(*m_quoted, *value.flat);
}

void SwayDevice::transmit(SwaySession& session, const libinput::Values& write, Answered answered)
{
    const QString text = command(write);
    session.connection().send(
        RunCommand, text.toUtf8(), [answered = std::move(answered), text](const auto& reply) {
            const auto why = refusal(reply);
            if (!why)
                return answered(libinput::WriteAnswer::Taken, {});
            answered(libinput::WriteAnswer::Refused,
                     QStringLiteral("'") + text + QStringLiteral("': ") + *why);
        });
}

QString SwayDevice::describe() const
{
    return QStringLiteral("Sway device \"") + m_facts.identifier + QStringLiteral("\" (service ") +
           QString::number(registryID()) + QLatin1Char(')');
}

} // namespace veloquill::sway
