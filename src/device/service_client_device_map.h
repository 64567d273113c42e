#pragma once

#include "device/hid_event_system.h"
#include "device/pointer_device.h"

#include <cstdint>
#include <shared_mutex>
#include <unordered_map>
#include <vector>

namespace veloquill {

// The map from service client to its device object, safe to use from any thread: lookups
// share the lock, writes take it alone, so a lookup sees every write made before it.
class ServiceClientDeviceMap
{
public:
    PointerDeviceRef get(const HidServiceClientRef& client) const;
    // Stores the device under the client; a null device removes the client's entry.
    void set(const PointerDeviceRef& device, const HidServiceClientRef& client);
    // Removes the client's entry and returns what it held.
    PointerDeviceRef remove(const HidServiceClientRef& client);
    // Every mapped device, oldest first.
    std::vector<PointerDeviceRef> snapshot() const;
    std::size_t size() const;

private:
    struct Entry
    {
        PointerDeviceRef device;
        std::uint64_t sequence = 0;
    };
    mutable std::shared_mutex m_mutex;
    std::unordered_map<HidServiceClientRef, Entry> m_entries;
    std::uint64_t m_nextSequence = 0;
};

} // namespace veloquill
