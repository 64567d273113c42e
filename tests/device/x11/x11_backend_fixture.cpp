#include "x11_backend_fixture.h"

#include "device/hid_keys.h"
#include "support/main_loop.h"

namespace veloquill::test {

void CallbackRecord::arrived(void* target, void*, const HidServiceClientRef& service)
{
    static_cast<CallbackRecord*>(target)->arrivals.push_back(service);
}

void CallbackRecord::removed(void* target, void*, const HidServiceClientRef& service)
{
    static_cast<CallbackRecord*>(target)->removals.push_back(service);
}

void CallbackRecord::event(void* target, void*, const HidServiceClientRef&,
                           const HidEventRef& event)
{
    static_cast<CallbackRecord*>(target)->events.push_back(*event);
}

void CallbackRecord::propertyChanged(void* target, void*, const QString& key,
                                     const HidPropertyValue& value)
{
    static_cast<CallbackRecord*>(target)->propertyChanges.emplace_back(key, value);
}

void X11BackendTest::SetUp()
{
    if (!XvfbServer::isInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    qunsetenv("DISPLAY");
    m_server = std::make_unique<XvfbServer>();
    ASSERT_TRUE(m_server->isRunning()) << "Xvfb did not start";
    m_driver = std::make_unique<XDriver>(m_server->displayName());
}

std::shared_ptr<X11HidEventSystem> X11BackendTest::makeSystem(bool includeVirtualDevices)
{
    auto system = std::make_shared<X11HidEventSystem>(
        X11HidEventSystemOptions{displayName(), includeVirtualDevices});
    EXPECT_TRUE(system->isConnected()) << system->failureReason().toStdString();
    return system;
}

std::unique_ptr<HidEventSystemClient> X11BackendTest::makeClient(X11HidEventSystem& system,
                                                                 CallbackRecord& record)
{
    auto client = system.createClient();
    client->setMatchingMultiple({
        {{QStringLiteral("DeviceUsagePage"), 1}, {QStringLiteral("DeviceUsage"), 2}},
        {{QStringLiteral("DeviceUsagePage"), 1}, {QStringLiteral("DeviceUsage"), 1}},
    });
    client->registerDeviceMatchingCallback(&CallbackRecord::arrived, &record, nullptr);
    client->registerEventCallback(&CallbackRecord::event, &record, nullptr);
    client->scheduleWithMainLoop();
    return client;
}

HidServiceClientRef X11BackendTest::serviceNamed(HidEventSystemClient& client, const QString& name)
{
    for (const auto& service : client.copyServices().value_or(std::vector<HidServiceClientRef>{})) {
        if (service->copyProperty(HidKey::Product).toText() == name)
            return service;
    }
    return nullptr;
}

QStringList X11BackendTest::serviceNames(HidEventSystemClient& client)
{
    QStringList names;
    for (const auto& service : client.copyServices().value_or(std::vector<HidServiceClientRef>{}))
        names.append(service->copyProperty(HidKey::Product).toText().value_or(QString()));
    return names;
}

bool X11BackendTest::waitFor(const std::function<bool()>& condition)
{
    return runMainLoopUntil(condition, 5000);
}

} // namespace veloquill::test
