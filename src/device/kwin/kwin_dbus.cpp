#include "device/kwin/kwin_dbus.h"

#include "support/log.h"

#include <QDBusArgument>
#include <QDBusMessage>
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

std::optional<QVariant> KWinCalls::call(const QString& path, const QString& method,
                                        const QVariantList& arguments, const QString& what)
{
    QDBusMessage message =
        QDBusMessage::createMethodCall(kService, path, kPropertiesInterface, method);
    message.setArguments(arguments);
    const QDBusMessage reply = m_bus.call(message, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        logLine(kLogPrefix + QStringLiteral("D-Bus error ") + reply.errorName() +
                QStringLiteral(" (") + reply.errorMessage() + QStringLiteral(") on ") + what +
                QStringLiteral("; ignored"));
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
    return call(devicePath(sysName), QStringLiteral("Set"),
                {kDeviceInterface, name, QVariant::fromValue(QDBusVariant(value))},
                QStringLiteral("Set ") + name + QStringLiteral(" of ") + sysName)
        .has_value();
}

} // namespace veloquill::kwin
