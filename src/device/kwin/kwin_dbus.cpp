// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/kwin/kwin_dbus.h"

#include "support/log.h"

#include <QDBusArgument>
#include <QDBusError>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QTimer>

namespace veloquill::kwin {

namespace {
const QString kDeviceInterface = QStringLiteral("org.kde.KWin.InputDevice");
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
// Long enough for a busy compositor; nothing waits for it but the one answer.
constexpr int kCallTimeoutMs = 25000;
const QString kLimitsExceeded = QStringLiteral("org.freedesktop.DBus.Error.LimitsExceeded");
// After a refusal for limits nothing is sent for a moment, so answers free some room; a read
// refused for as long as 5 s in all is given up (and logged as any error is).
constexpr int kLimitsPauseMs = 50;
constexpr int kMostRefusals = 100;
constexpr int kMostCallsAtOnce = 32;

QString devicePath(const QString& sysName)
{
    return kManagerPath + QLatin1Char('/') + sysName;
}

QDBusMessage propertiesCall(const QString& path, const QString& method,
                            const QVariantList& arguments)
{
    QDBusMessage message =
        QDBusMessage::createMethodCall(kService, path, kPropertiesInterface, method);
    message.setArguments(arguments);
    return message;
}

// Errors the bus or Qt give for a call KWin never answered.
bool unanswered(const QString& errorName)
{
    static const QStringList names{
        QStringLiteral("org.freedesktop.DBus.Error.NoReply"),
        QStringLiteral("org.freedesktop.DBus.Error.Timeout"),
        QStringLiteral("org.freedesktop.DBus.Error.TimedOut"),
        QStringLiteral("org.freedesktop.DBus.Error.Disconnected"),
        QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown"),
        QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner"),
    };
    return names.contains(errorName);
}

QString errorText(const QDBusMessage& reply)
{
    return reply.errorName() + QStringLiteral(" (") + reply.errorMessage() + QLatin1Char(')');
}

// A read's answer; an error is logged and reads as nothing.
std::optional<QVariant> readAnswer(const QDBusMessage& reply, const QString& what)
{
    if (reply.type() != QDBusMessage::ReplyMessage) {
        logLine(kLogPrefix + QStringLiteral("D-Bus error ") + errorText(reply) +
                QStringLiteral(" on ") + what + QStringLiteral("; ignored"));
        return std::nullopt;
    }
    const QVariant first = reply.arguments().value(0);
    // Get answers a variant in a variant.
    return first.canConvert<QDBusVariant>() ? first.value<QDBusVariant>().variant() : first;
}

} // namespace

QDBusMessage devicesSysNamesCall()
{
    return propertiesCall(kManagerPath, QStringLiteral("Get"),
                          {kManagerInterface, QStringLiteral("devicesSysNames")});
}

KWinCalls::KWinCalls(QDBusConnection bus)
    : m_queue(std::make_shared<Queue>(Queue{std::move(bus), {}, {}, 0, false, false}))
{}

KWinCalls::~KWinCalls()
{
    m_queue->closed = true;
    m_queue->waiting.clear();
}

void KWinCalls::call(Call call)
{
    m_queue->waiting.push_back(std::move(call));
    sendWaiting(m_queue);
}

void KWinCalls::sendWaiting(const std::shared_ptr<Queue>& queue)
{
    while (!queue->closed && !queue->pausedForLimits && queue->onTheirWay < kMostCallsAtOnce &&
           !queue->waiting.empty()) {
        Call next = std::move(queue->waiting.front());
        queue->waiting.pop_front();
        ++queue->onTheirWay;
        auto* watcher =
            new QDBusPendingCallWatcher(queue->bus.asyncCall(next.message, kCallTimeoutMs));
        QObject::connect(
            watcher, &QDBusPendingCallWatcher::finished, watcher,
            [queue, next = std::move(next)](QDBusPendingCallWatcher* finished) mutable {
                finished->deleteLater();
                --queue->onTheirWay;
                const QDBusMessage reply = finished->reply();
                if (next.read && reply.errorName() == kLimitsExceeded &&
                    ++next.refusals < kMostRefusals && !queue->closed) {
                    queue->waiting.push_front(std::move(next));
                    if (!std::exchange(queue->pausedForLimits, true)) {
                        QTimer::singleShot(kLimitsPauseMs, [queue] {
                            queue->pausedForLimits = false;
                            sendWaiting(queue);
                        });
                    }
                    return;
                }
                next.answered(reply);
                if (queue->afterAnswer)
                    queue->afterAnswer();
                sendWaiting(queue);
            });
    }
}

template <class T>
void KWinCalls::read(const QDBusMessage& message, const QString& what,
                     std::function<void(std::optional<T>)> answered)
{
    call({message,
          [what, answered = std::move(answered)](const QDBusMessage& reply) {
              const auto value = readAnswer(reply, what);
              answered(value ? std::optional(qdbus_cast<T>(*value)) : std::nullopt);
          },
          true});
}

void KWinCalls::deviceSysNames(std::function<void(std::optional<QStringList>)> answered)
{
    read(devicesSysNamesCall(), QStringLiteral("Get devicesSysNames"), std::move(answered));
}

void KWinCalls::deviceProperties(const QString& sysName,
                                 std::function<void(std::optional<QVariantMap>)> answered)
{
    read(propertiesCall(devicePath(sysName), QStringLiteral("GetAll"), {kDeviceInterface}),
         QStringLiteral("GetAll of ") + sysName, std::move(answered));
}

void KWinCalls::setDeviceProperty(const QString& sysName, const QString& name,
                                  const QVariant& value,
                                  std::function<void(libinput::WriteAnswer)> answered)
{
    const QString what = QStringLiteral("Set ") + name + QStringLiteral(" of ") + sysName;
    call({propertiesCall(devicePath(sysName), QStringLiteral("Set"),
                         {kDeviceInterface, name, QVariant::fromValue(QDBusVariant(value))}),
          [what, answered = std::move(answered)](const QDBusMessage& reply) {
              if (reply.type() == QDBusMessage::ReplyMessage)
                  return answered(libinput::WriteAnswer::Taken);
              // A refusal is KWin's own answer: the value is not on the device.
              const bool refused = !unanswered(reply.errorName());
              logLine(kLogPrefix +
                      (refused ? QStringLiteral("KWin refused ") + what + QStringLiteral(": ")
                               : QStringLiteral("no answer from KWin to ") + what +
                                     QStringLiteral(": ")) +
                      errorText(reply));
              answered(refused ? libinput::WriteAnswer::Refused
                               : libinput::WriteAnswer::Unanswered);
          }});
}

} // namespace veloquill::kwin
