#include "x11_backend_fixture.h"

#include "device/hid_keys.h"
#include "support/main_loop.h"
#include "support/required_programs.h"

namespace veloquill::test {

void CallbackRecord::recordRemovalOf(const HidServiceClientRef& service)
{
    registrations.push_back(service->registerRemovalCallback(
        [this](const HidServiceClientRef& gone) { removals.push_back(gone); }));
}

void CallbackRecord::recordChangesOf(HidEventSystemClient& client, const QString& key)
{
    registrations.push_back(
        client.registerPropertyChangedCallback(key, [this, key] { propertyChanges.append(key); }));
}

void X11BackendTest::SetUp()
{
    ASSERT_NO_FATAL_FAILURE(requirePrograms({{"Xvfb", "xvfb"}, {"xinput", "xinput"}}));
    qunsetenv("DISPLAY");
    m_server = std::make_unique<XvfbServer>();
    ASSERT_TRUE(m_server->isRunning()) << "Xvfb did not start";
    m_driver = std::make_unique<XDriver>(m_server->displayName());
}

std::shared_ptr<X11HidEventSystem> X11BackendTest::makeSystem(bool includeVirtualDevices)
{
    auto system = std::make_shared<X11HidEventSystem>(
        X11HidEventSystemOptions{displayName(), includeVirtualDevices, journalDirectory()});
    EXPECT_TRUE(system->isConnected()) << system->failureReason().toStdString();
    return system;
}

std::unique_ptr<HidEventSystemClient> X11BackendTest::makeClient(X11HidEventSystem& system,
                                                                 CallbackRecord& record)
{
    auto client = system.createClient();
    client->setMatchingMultiple({
        {{HidKey::DeviceUsagePage, 1}, {HidKey::DeviceUsage, 2}},
        {{HidKey::DeviceUsagePage, 1}, {HidKey::DeviceUsage, 1}},
    });
    record.registrations.push_back(client->registerDeviceMatchingCallback(
        [&record](const HidServiceClientRef& service) { record.arrivals.push_back(service); }));
    record.registrations.push_back(client->registerEventCallback(
        [&record](const HidServiceClientRef&, const HidEventRef& event) {
            record.events.push_back(*event);
        }));
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

} // namespace veloquill::test
