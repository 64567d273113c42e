// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What the backends that list their devices themselves (KWin, GNOME) share: the services
// present, the clients that want to hear of them, and the clients themselves. A client holds
// the directory alive; the directory holds its clients weakly, so a client destroyed inside one
// of its own callbacks is never called again.

#include "device/hid_callback_list.h"
#include "device/hid_event_system.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace veloquill {

// A service a directory lists, known by the sender id its events would carry.
class ListedService : public HidServiceClient
{
public:
    virtual std::uint64_t registryID() const = 0;
};

// The callbacks of one client.
struct DirectoryClientState
{
    bool scheduled = false;
    // Until matching is set every service matches.
    std::optional<std::vector<HidMatchingDictionary>> matching;
    HidCallbackList<void(const HidServiceClientRef&)> matchingCallbacks;
};

class ServiceDirectory
{
public:
    // The services present now, in the order they arrived.
    virtual std::vector<std::shared_ptr<ListedService>> listedServices() const = 0;

    void attachClient(const std::shared_ptr<DirectoryClientState>& client);
    // Tells the scheduled clients it matches that the service arrived.
    void announce(const std::shared_ptr<ListedService>& service);

protected:
    ~ServiceDirectory() = default;

private:
    std::vector<std::shared_ptr<DirectoryClientState>> liveClients();
    std::vector<std::weak_ptr<DirectoryClientState>> m_clients;
};

class ServiceDirectoryClient : public HidEventSystemClient
{
public:
    explicit ServiceDirectoryClient(std::shared_ptr<ServiceDirectory> directory);
    ~ServiceDirectoryClient() override;

    void setMatchingMultiple(const std::vector<HidMatchingDictionary>& matching) override;
    HidRegistration registerDeviceMatchingCallback(HidServiceCallback callback) override;
    void scheduleWithMainLoop() override;
    void unscheduleFromMainLoop() override;
    std::optional<std::vector<HidServiceClientRef>> copyServices() override;

private:
    std::shared_ptr<ServiceDirectory> m_directory;
    std::shared_ptr<DirectoryClientState> m_state;
};

} // namespace veloquill
