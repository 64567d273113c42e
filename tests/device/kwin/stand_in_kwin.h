// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A private dbus-daemon and the stand-in KWin on it, for one test (or benchmark); both end
// with this object. The stand-in runs as its own process, as KWin does.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QTemporaryDir>
#include <QVariant>

namespace veloquill::test {

class StandInKWin
{
public:
    // Starts the bus; start() then starts KWin on it. Fails the test when dbus-daemon is
    // missing (call with ASSERT_NO_FATAL_FAILURE). A bus with a reply limit allows each
    // connection only that many calls awaiting answers, as some buses do.
    void startBus(int maxRepliesPerConnection = 0);
    ~StandInKWin();

    QString busAddress() const { return m_address; }
    // Starts KWin and waits until it has its name; its devices are those of the last run.
    void start();
    // KWin ends (is killed); its devices stay in its settings file.
    void stop();

    void addDevice(const QString& sysName, const QString& name, uint vendor, uint product,
                   double speed = 0, bool flat = false, bool pointer = true,
                   bool acceleration = true, double defaultSpeed = 0, bool defaultFlat = false)
    {
        control("addDevice", {sysName, name, vendor, product, pointer, acceleration, speed, flat,
                              defaultSpeed, defaultFlat});
    }
    // Unannounced, the device object is gone while KWin's clients still list it.
    void removeDevice(const QString& sysName, bool announce = true)
    {
        control("removeDevice", {sysName, announce});
    }
    // KWin says a device arrived that it has no object for.
    void announceAdded(const QString& sysName) { control("announceAdded", {sysName}); }
    // Every answer to a Properties call comes this late (the stand-in itself stays responsive);
    // with a refusal, every Set is answered with that error and a two-line message.
    void setBehaviour(int delayMs, const QString& refusal = {})
    {
        control("setBehaviour", {delayMs, refusal});
    }
    QVariant property(const QString& sysName, const QString& name);
    void setProperty(const QString& sysName, const QString& name, const QVariant& value);

private:
    QDBusMessage call(const QString& path, const QString& interface, const QString& method,
                      const QVariantList& arguments);
    void control(const QString& method, const QVariantList& arguments);

    QTemporaryDir m_directory;
    QProcess m_daemon;
    QProcess m_kwin;
    QString m_address;
};

} // namespace veloquill::test
