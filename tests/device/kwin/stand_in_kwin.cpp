// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stand_in_kwin.h"

#include "support/main_loop.h"
#include "support/required_programs.h"

#include <gtest/gtest.h>

#include <QDBusConnectionInterface>
#include <QDBusVariant>
#include <QFile>

namespace veloquill::test {

namespace {
const QString kConnection = "stand-in-kwin-control";
const QString kService = "org.kde.KWin";
const QString kRoot = "/org/kde/KWin/InputDevice";
} // namespace

void StandInKWin::startBus(int maxRepliesPerConnection)
{
    ASSERT_NO_FATAL_FAILURE(requirePrograms({{"dbus-daemon", "dbus-daemon"}}));
    QStringList arguments{"--session", "--nofork", "--print-address"};
    if (maxRepliesPerConnection > 0) {
        QFile config(m_directory.filePath("bus.conf"));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(QString("<busconfig><include>/usr/share/dbus-1/session.conf</include>"
                             "<limit name=\"max_replies_per_connection\">%1</limit></busconfig>")
                         .arg(maxRepliesPerConnection)
                         .toUtf8());
        arguments[0] = "--config-file=" + config.fileName();
    }
    m_daemon.start("dbus-daemon", arguments);
    ASSERT_TRUE(m_daemon.waitForStarted() && m_daemon.waitForReadyRead(5000));
    m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
    ASSERT_TRUE(QDBusConnection::connectToBus(m_address, kConnection).isConnected());
}

StandInKWin::~StandInKWin()
{
    stop();
    QDBusConnection::disconnectFromBus(kConnection);
    m_daemon.kill();
    m_daemon.waitForFinished();
}

void StandInKWin::start()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DBUS_SESSION_BUS_ADDRESS", m_address);
    m_kwin.setProcessEnvironment(environment);
    m_kwin.setProcessChannelMode(QProcess::ForwardedChannels);
    m_kwin.start(QStringLiteral(KWIN_STAND_IN), {m_directory.filePath("kcminputrc")});
    ASSERT_TRUE(runMainLoopUntil(
        [] { return QDBusConnection(kConnection).interface()->isServiceRegistered(kService); }));
}

void StandInKWin::stop()
{
    m_kwin.kill();
    m_kwin.waitForFinished();
}

QDBusMessage StandInKWin::call(const QString& path, const QString& interface, const QString& method,
                               const QVariantList& arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, path, interface, method);
    message.setArguments(arguments);
    return QDBusConnection(kConnection).call(message);
}

void StandInKWin::control(const QString& method, const QVariantList& arguments)
{
    ASSERT_EQ(call(kRoot, "org.veloquill.KWinStandIn", method, arguments).type(),
              QDBusMessage::ReplyMessage)
        << method.toStdString();
}

QVariant StandInKWin::property(const QString& sysName, const QString& name)
{
    const QDBusMessage reply = call(kRoot + '/' + sysName, "org.freedesktop.DBus.Properties", "Get",
                                    {"org.kde.KWin.InputDevice", name});
    return reply.arguments().value(0).value<QDBusVariant>().variant();
}

void StandInKWin::setProperty(const QString& sysName, const QString& name, const QVariant& value)
{
    const QVariantList arguments{"org.kde.KWin.InputDevice", name,
                                 QVariant::fromValue(QDBusVariant(value))};
    ASSERT_EQ(
        call(kRoot + '/' + sysName, "org.freedesktop.DBus.Properties", "Set", arguments).type(),
        QDBusMessage::ReplyMessage);
}

} // namespace veloquill::test
