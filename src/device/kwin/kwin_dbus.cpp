#include "device/kwin/kwin_dbus.h"

#include "support/log.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

namespace veloquill::kwin {

namespace {
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
// KWin answers at once; a compositor that hangs must not hang the tray program for long.
constexpr int kCallTimeoutMs = 2000;
} // namespace

QString devicePath(const QString& sysName)
{
    return kManagerPath + QLatin1Char('/') + sysName;
}

namespace {
QDBusMessage propertiesCall(const QString& path, const QString& method,
                            const QVariantList& arguments)
{
    QDBusMessage message =
        QDBusMessage::createMethodCall(kService, path, kPropertiesInterface, method);
    message.setArguments(arguments);
    return message;
}

void logError(const QString& name, const QString& message, const QString& what)
{
    logLine(kLogPrefix + QStringLiteral("D-Bus error ") + name + QStringLiteral(" (") + message +
            QStringLiteral(") on ") + what + QStringLiteral("; ignored"));
}

QString describeSet(const QString& sysName, const QString& name)
{
    return QStringLiteral("Set ") + name + QStringLiteral(" of ") + sysName;
}
} // namespace

QDBusMessage KWinCalls::setMessage(const QString& sysName, const QString& name,
                                   const QVariant& value)
{
    return propertiesCall(devicePath(sysName), QStringLiteral("Set"),
                          {kDeviceInterface, name, QVariant::fromValue(QDBusVariant(value))});
}

std::optional<QVariant> KWinCalls::call(const QString& path, const QString& method,
                                        const QVariantList& arguments, const QString& what)
{
    return call(propertiesCall(path, method, arguments), what);
}

std::optional<QVariant> KWinCalls::call(const QDBusMessage& message, const QString& what)
{
    const QDBusMessage reply = m_bus.call(message, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        logError(reply.errorName(), reply.errorMessage(), what);
        return std::nullopt;
    }
    const QVariant first = reply.arguments().value(0);
    // Get answers a variant in a variant.
    return first.canConvert<QDBusVariant>() ? first.value<QDBusVariant>().variant() : first;
}

std::optional<QStringList> KWinCalls::deviceSysNames()
{
    const auto value = call(kManagerPath, QStringLiteral("Get"),
                            {kManagerInterface, QStringLiteral("devicesSysNames")},
                            QStringLiteral("Get devicesSysNames"));
    if (!value)
        return std::nullopt;
    return value->toStringList();
}

std::optional<QVariantMap> KWinCalls::deviceProperties(const QString& sysName)
{
    const auto value = call(devicePath(sysName), QStringLiteral("GetAll"), {kDeviceInterface},
                            QStringLiteral("GetAll of ") + sysName);
    if (!value)
        return std::nullopt;
    return qdbus_cast<QVariantMap>(*value);
}

std::optional<QVariant> KWinCalls::deviceProperty(const QString& sysName, const QString& name)
{
    return call(devicePath(sysName), QStringLiteral("Get"), {kDeviceInterface, name},
                QStringLiteral("Get ") + name + QStringLiteral(" of ") + sysName);
}

bool KWinCalls::setDeviceProperty(const QString& sysName, const QString& name,
                                  const QVariant& value)
{
    return call(setMessage(sysName, name, value), describeSet(sysName, name)).has_value();
}

void KWinCalls::setDevicePropertyLater(const QString& sysName, const QString& name,
                                       const QVariant& value, std::function<void(bool)> answered)
{
    auto* watcher = new QDBusPendingCallWatcher(
        m_bus.asyncCall(setMessage(sysName, name, value), kCallTimeoutMs));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [what = describeSet(sysName, name),
                      answered = std::move(answered)](QDBusPendingCallWatcher* finished) {
                         finished->deleteLater();
                         if (finished->isError())
                             logError(finished->error().name(), finished->error().message(), what);
                         answered(!finished->isError());
                     });
}

} // namespace veloquill::kwin
