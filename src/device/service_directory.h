// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What the backends that list their devices themselves (KWin, GNOME) share: the services
// present, the clients that want to hear of them, and the clients themselves. A client holds
// the directory alive; the directory holds its clients weakly, so a client destroyed inside one
// of its own callbacks is never called again.

#include "device/hid_callback_list.h"
#include "device/pointer_backend.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace veloquill {

// A device a directory lists, known by the sender id its events would carry.
class ListedService : public BackendDevice
{
public:
    virtual std::uint64_t registryID() const = 0;
};

// The callbacks of one client.
struct DirectoryClientState
{
    bool started = false;
    HidCallbackList<void(const BackendDeviceRef&)> addedCallbacks;
};

class ServiceDirectory
{
public:
    // The services present now, in the order they arrived.
    virtual std::vector<std::shared_ptr<ListedService>> listedServices() const = 0;

    void attachClient(const std::shared_ptr<DirectoryClientState>& client);
    // Tells the started clients that the device arrived.
    void announce(const std::shared_ptr<ListedService>& service);

protected:
    ~ServiceDirectory() = default;

private:
    std::vector<std::shared_ptr<DirectoryClientState>> liveClients();
    std::vector<std::weak_ptr<DirectoryClientState>> m_clients;
};

class ServiceDirectoryClient : public DeviceWatch
{
public:
    explicit ServiceDirectoryClient(std::shared_ptr<ServiceDirectory> directory);
    ~ServiceDirectoryClient() override;

    HidRegistration onDeviceAdded(BackendDeviceCallback callback) override;
    void start() override { m_state->started = true; }
    void stop() override { m_state->started = false; }
    std::optional<std::vector<BackendDeviceRef>> devices() override;

private:
    std::shared_ptr<ServiceDirectory> m_directory;
    std::shared_ptr<DirectoryClientState> m_state;
};

} // namespace veloquill
