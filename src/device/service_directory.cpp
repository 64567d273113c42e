// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/service_directory.h"

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
        if (client->started)
            client->addedCallbacks.callWhile([&client] { return client->started; }, service);
    }
}

ServiceDirectoryClient::ServiceDirectoryClient(std::shared_ptr<ServiceDirectory> directory)
    : m_directory(std::move(directory)), m_state(std::make_shared<DirectoryClientState>())
{
    m_directory->attachClient(m_state);
}

ServiceDirectoryClient::~ServiceDirectoryClient()
{
    m_state->started = false; // stops a walk under way
}

HidRegistration ServiceDirectoryClient::onDeviceAdded(BackendDeviceCallback callback)
{
    return m_state->addedCallbacks.add(std::move(callback));
}

std::optional<std::vector<BackendDeviceRef>> ServiceDirectoryClient::devices()
{
    const auto listed = m_directory->listedServices();
    return std::vector<BackendDeviceRef>(listed.begin(), listed.end());
}

} // namespace veloquill
