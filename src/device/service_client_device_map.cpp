#include "device/service_client_device_map.h"

#include <algorithm>
#include <mutex>

namespace veloquill {

PointerDeviceRef ServiceClientDeviceMap::get(const HidServiceClientRef& client) const
{
    std::shared_lock lock(m_mutex);
    const auto it = m_entries.find(client);
    return it == m_entries.end() ? nullptr : it->second.device;
}

void ServiceClientDeviceMap::set(const PointerDeviceRef& device, const HidServiceClientRef& client)
{
    PointerDeviceRef replaced; // released after the lock, in case it was the last reference
    std::unique_lock lock(m_mutex);
    const auto it = m_entries.find(client);
    if (!device) {
        if (it != m_entries.end()) {
            replaced = std::move(it->second.device);
            m_entries.erase(it);
        }
        return;
    }
    if (it != m_entries.end()) {
        replaced = std::exchange(it->second.device, device);
        return;
    }
    m_entries.emplace(client, Entry{device, m_nextSequence++});
}

PointerDeviceRef ServiceClientDeviceMap::remove(const HidServiceClientRef& client)
{
    std::unique_lock lock(m_mutex);
    const auto it = m_entries.find(client);
    if (it == m_entries.end())
        return nullptr;
    PointerDeviceRef device = std::move(it->second.device);
    m_entries.erase(it);
    return device;
}

std::vector<PointerDeviceRef> ServiceClientDeviceMap::snapshot() const
{
    std::vector<const Entry*> entries;
    std::vector<PointerDeviceRef> devices;
    std::shared_lock lock(m_mutex);
    entries.reserve(m_entries.size());
    for (const auto& [client, entry] : m_entries)
        entries.push_back(&entry);
    std::sort(entries.begin(), entries.end(),
              [](const Entry* a, const Entry* b) { return a->sequence < b->sequence; });
    devices.reserve(entries.size());
    for (const Entry* entry : entries)
        devices.push_back(entry->device);
    return devices;
}

std::size_t ServiceClientDeviceMap::size() const
{
    std::shared_lock lock(m_mutex);
    return m_entries.size();
}

} // namespace veloquill
