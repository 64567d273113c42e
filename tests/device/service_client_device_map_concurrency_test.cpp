#include "device/initialization_flag.h"
#include "device/service_client_device_map.h"

#include "sim/simulated_service.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace veloquill;

// Lookups may come from any thread while the main thread adds and removes devices; run this
// under ThreadSanitizer (-DVELOQUILL_SANITIZE=thread) to check the locking.
TEST(ServiceClientDeviceMapConcurrency, ReadersAndWritersOnSeveralThreadsAgree)
{
    constexpr int kServices = 32;
    constexpr int kRounds = 1000;
    std::vector<HidServiceClientRef> clients;
    std::vector<PointerDeviceRef> devices;
    for (int i = 0; i < kServices; ++i) {
        sim::ServiceSpec spec = sim::ServiceSpec::mouse(QString("Mouse %1").arg(i), i, i);
        spec.hasDevice = false;
        auto service = std::make_shared<sim::SimulatedService>(spec);
        clients.push_back(service);
        devices.push_back(PointerDevice::create(service));
    }

    ServiceClientDeviceMap map;
    InitializationFlag flag;
    std::atomic<bool> wrongDevice{false};
    std::atomic<bool> done{false};

    auto writer = [&](int first) {
        for (int round = 0; round < kRounds; ++round) {
            for (int i = first; i < kServices; i += 2) {
                map.set(devices[i], clients[i]);
                flag.set(round % 2 == 0);
                if (round % 3 == 0)
                    map.remove(clients[i]);
                else if (round % 3 == 1)
                    map.set(nullptr, clients[i]);
            }
        }
    };
    auto reader = [&] {
        while (!done) {
            for (int i = 0; i < kServices; ++i) {
                const auto found = map.get(clients[i]);
                if (found && found != devices[i])
                    wrongDevice = true;
            }
            for (const auto& device : map.snapshot())
                if (!device)
                    wrongDevice = true;
            (void)flag.get();
            (void)map.size();
        }
    };

    std::thread readerA(reader);
    std::thread readerB(reader);
    std::thread writerEven(writer, 0);
    std::thread writerOdd(writer, 1);
    writerEven.join();
    writerOdd.join();
    done = true;
    readerA.join();
    readerB.join();

    EXPECT_FALSE(wrongDevice);
    // The last round (999 % 3 == 0) removed every entry again.
    EXPECT_EQ(map.size(), 0u);
}

TEST(ServiceClientDeviceMap, SnapshotListsDevicesOldestFirst)
{
    ServiceClientDeviceMap map;
    std::vector<HidServiceClientRef> clients;
    std::vector<PointerDeviceRef> devices;
    for (int i = 0; i < 5; ++i) {
        auto service = std::make_shared<sim::SimulatedService>(sim::ServiceSpec::mouse("M", i, i));
        clients.push_back(service);
        devices.push_back(PointerDevice::create(service));
        map.set(devices.back(), service);
    }
    map.remove(clients[1]);
    map.set(devices[1], clients[1]);
    EXPECT_EQ(map.snapshot(), (std::vector<PointerDeviceRef>{devices[0], devices[2], devices[3],
                                                             devices[4], devices[1]}));
}
