// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/service_directory.h"

#include "device/hid_service_client_ops.h"

#include <algorithm>

namespace veloquill {

void ServiceDirectory::attachClient(const std::shared_ptr<DirectoryClientState>& client)
{
    m_clients.push_back(client);
}

std::vector<std::shared_ptr<DirectoryClientState>> ServiceDirectory::liveClients()
{
    std::erase_if(m_clients, [](const auto& client) { return client.expired(); });
    std::vector<std::shared_ptr<DirectoryClientState>> clients;
    for (const auto& client : m_clients)
        clients.push_back(client.lock());
    return clients;
}

void ServiceDirectory::announce(const std::shared_ptr<ListedService>& service)
{
    for (const auto& client : liveClients()) {
        if (client->scheduled && matchesAny(client->matching, *service))
            client->matchingCallbacks.callWhile([&client] { return client->scheduled; }, service);
    }
}

ServiceDirectoryClient::ServiceDirectoryClient(std::shared_ptr<ServiceDirectory> directory)
    : m_directory(std::move(directory)), m_state(std::make_shared<DirectoryClientState>())
{
    m_directory->attachClient(m_state);
}

ServiceDirectoryClient::~ServiceDirectoryClient()
{
    m_state->scheduled = false; // stops a walk under way
}

void ServiceDirectoryClient::setMatchingMultiple(const std::vector<HidMatchingDictionary>& matching)
{
    m_state->matching = matching;
}

HidRegistration ServiceDirectoryClient::registerDeviceMatchingCallback(HidServiceCallback callback)
{
    return m_state->matchingCallbacks.add(std::move(callback));
}

void ServiceDirectoryClient::scheduleWithMainLoop()
{
    m_state->scheduled = true;
}

void ServiceDirectoryClient::unscheduleFromMainLoop()
{
    m_state->scheduled = false;
}

std::optional<std::vector<HidServiceClientRef>> ServiceDirectoryClient::copyServices()
{
    std::vector<HidServiceClientRef> services;
    for (const auto& service : m_directory->listedServices()) {
        if (matchesAny(m_state->matching, *service))
            services.push_back(service);
    }
    return services;
}

} // namespace veloquill
