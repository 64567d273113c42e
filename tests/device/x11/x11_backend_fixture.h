// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "device/neutral_resolution.h"
#include "device/x11/x11_backend.h"
#include "support/main_loop.h"
#include "support/required_programs.h"
#include "x_driver.h"
#include "xvfb_server.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace veloquill::test {

inline const QString kXvfbMouse = QStringLiteral("Xvfb mouse");
inline const QString kCoreXtestPointer = QStringLiteral("Virtual core XTEST pointer");
// The resolution of gain 1; half of it doubles the pointer's travel, twice it halves it.
inline constexpr double kNeutral = kNeutralFixedResolution / 65536.0;
inline constexpr double kDoubleTravel = kNeutral / 2;
inline constexpr double kHalfTravel = kNeutral * 2;

// What the backend's callbacks delivered, in order, for as long as it lives.
struct CallbackRecord
{
    std::vector<BackendDeviceRef> arrivals;
    std::vector<BackendDeviceRef> removals;
    std::vector<HidRegistration> registrations;

    void recordRemovalOf(const BackendDeviceRef& service)
    {
        registrations.push_back(
            service->onRemoved([this](const BackendDeviceRef& gone) { removals.push_back(gone); }));
    }
};

// Counts the main loop's wake-ups for a socket: only the backend's X connection is watched.
class WakeUpCounter : public QObject
{
public:
    WakeUpCounter() { QCoreApplication::instance()->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::SockAct;
        return false;
    }
};

// Every test gets its own Xvfb and a driver connection of its own to it; the backend under
// test connects by display name, with no DISPLAY in the environment.
class X11BackendTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(requirePrograms({{"Xvfb", "xvfb"}, {"xinput", "xinput"}}));
        qunsetenv("DISPLAY");
        m_server = std::make_unique<XvfbServer>();
        ASSERT_TRUE(m_server->isRunning()) << "Xvfb did not start";
        m_driver = std::make_unique<XDriver>(m_server->displayName());
    }

    QString displayName() const { return m_server->displayName(); }
    XDriver& driver() { return *m_driver; }
    XvfbServer& server() { return *m_server; }
    // Where the backends of this test keep their originals, never the user's own directory.
    QString journalDirectory() const { return m_journalDirectory.path(); }
    // Before stopping the server: Xlib ends a process whose connection breaks, unless told
    // otherwise as the backend does.
    void closeDriver() { m_driver.reset(); }

    std::shared_ptr<X11Backend> makeSystem(bool includeVirtualDevices = false)
    {
        auto system = std::make_shared<X11Backend>(
            X11BackendOptions{displayName(), includeVirtualDevices, journalDirectory()});
        EXPECT_TRUE(system->isConnected()) << system->failureReason().toStdString();
        return system;
    }
    // A watch recording arrivals, started.
    static std::unique_ptr<DeviceWatch> makeClient(X11Backend& system, CallbackRecord& record)
    {
        auto client = system.watchDevices();
        record.registrations.push_back(client->onDeviceAdded(
            [&record](const BackendDeviceRef& service) { record.arrivals.push_back(service); }));
        client->start();
        return client;
    }
    // The backend and such a client, as most tests use them.
    void startClient(bool includeVirtualDevices = false)
    {
        system = makeSystem(includeVirtualDevices);
        client = makeClient(*system, record);
    }
    static QStringList serviceNames(DeviceWatch& client)
    {
        QStringList names;
        for (const auto& service : client.devices().value_or(std::vector<BackendDeviceRef>{}))
            names.append(service->deviceIdentity().name.value_or(QString()));
        return names;
    }
    static BackendDeviceRef serviceNamed(DeviceWatch& client, const QString& name)
    {
        for (const auto& service : client.devices().value_or(std::vector<BackendDeviceRef>{}))
            if (service->deviceIdentity().name == name)
                return service;
        return nullptr;
    }

private:
    QTemporaryDir m_journalDirectory;
    std::unique_ptr<XvfbServer> m_server;
    std::unique_ptr<XDriver> m_driver;

protected:
    // Declared after the server, so they go before it.
    std::shared_ptr<X11Backend> system;
    CallbackRecord record;
    std::unique_ptr<DeviceWatch> client;
};

} // namespace veloquill::test
