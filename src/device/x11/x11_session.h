// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The state the backend's objects share: the X connection, the services present, and the
// clients that want to hear from it. It turns hierarchy changes into arrivals and removals,
// on the main loop. It selects no raw input: an idle program never wakes on motion.

#include "device/backend_device.h"
#include "device/control_unavailable_reason.h"
#include "device/hid_callback_list.h"
#include "device/restore_journal.h"
#include "device/x11/x11_device_mapping.h"
#include "device/x11/x11_properties.h"

#include <QElapsedTimer>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

union _XEvent;

namespace veloquill::x11 {

class X11Connection;
class X11Device;

// What putting a device back came to, by property.
struct X11Restore
{
    std::vector<XAtom> refused;      // the server did not take the write
    std::vector<XAtom> keptByOthers; // another program changed it since: left as it is
};

// A watch of the session's devices: its arrival callbacks. The session holds it weakly, so a
// watch destroyed inside one of its own callbacks is never called again.
struct X11ClientState
{
    bool destroyed = false;
    bool scheduled = false;
    HidCallbackList<void(const BackendDeviceRef&)> arrivalCallbacks;

    bool isListening() const { return !destroyed && scheduled; }
};

class X11Session : public std::enable_shared_from_this<X11Session>
{
public:
    // Connects and lists the devices present; null with why in `failure` and the kind of
    // problem in `reason` when the display cannot be used.
    // Originals are journaled in `journalDirectory` (empty: $XDG_RUNTIME_DIR).
    static std::shared_ptr<X11Session> open(const QString& displayName, bool includeVirtualDevices,
                                            const QString& journalDirectory, QString* failure,
                                            ControlUnavailableReason* reason);
    ~X11Session();
    X11Session(const X11Session&) = delete;
    X11Session& operator=(const X11Session&) = delete;

    X11Connection& connection() { return *m_connection; }
    const X11Atoms& atoms() const { return m_atoms; }

    // The services present, in the order the server lists their devices.
    const std::vector<std::shared_ptr<X11Device>>& services() const { return m_services; }
    void attachClient(const std::shared_ptr<X11ClientState>& client)
    {
        m_clients.push_back(client);
    }

    // The device's first-seen values and those written since go to the journal; called
    // before each write that changes what it holds.
    void journalOriginals(const X11DeviceFacts& facts, const X11DeviceMemory& memory);
    // Puts back what this program wrote to the device and no one changed since, with a line
    // naming what another program changed; its journal entry goes once the server took it.
    RestoreOutcome restoreDevice(const X11DeviceFacts& facts, X11DeviceMemory& memory);
    // Sends the writes that put back every listed device, waits for the server once, and keeps
    // each device's outcome for its restoreDevice.
    void sendListedRestores();
    // Puts back the devices the journal names that the server has but that are not listed
    // (disabled, floating, or left out XTEST devices); how many could not be.
    std::size_t restoreUnlisted();
    // Entries put back from here on leave the journal together, at endRestore.
    void beginRestore() { m_journal.holdWrites(); }
    void endRestore() { m_journal.releaseWrites(); }
    // Every changed device is back: the journal goes.
    void forgetOriginals() { m_journal.remove(); }
    QStringList notPutBack() const { return m_journal.notPutBack(); }

private:
    X11Session(std::unique_ptr<X11Connection> connection, bool includeVirtualDevices,
               const QString& journalDirectory);
    void handleEvent(_XEvent& event);
    // Writes each property this program changed back to its first-seen value, unbounded, while
    // it still holds the value last written; now or (with `sent`) without waiting.
    X11Restore putBack(const X11DeviceFacts& facts, X11DeviceMemory& memory,
                       std::vector<X11SentWrite>* sent);
    // Logs what the restore of the device left, and drops its entry when all is back.
    RestoreOutcome finishRestore(const X11DeviceFacts& facts, X11DeviceMemory& memory,
                                 const X11Restore& result);
    void handleHierarchyChange(const std::set<int>& removedDeviceIds);
    // The server keeps nothing of a removed device: a device added later with its id starts
    // from its driver's defaults, so its entry goes.
    void forgetRemoved(const std::set<int>& removedDeviceIds);
    void loadJournal();
    std::shared_ptr<X11Device> serviceForDevice(int deviceId) const;
    std::shared_ptr<X11Device> addService(const X11DeviceFacts& facts);
    std::vector<std::shared_ptr<X11ClientState>> liveClients();

    std::unique_ptr<X11Connection> m_connection;
    X11Atoms m_atoms;
    bool m_includeVirtualDevices = false;
    std::uint64_t m_nextRegistryID = 1;
    std::vector<std::shared_ptr<X11Device>> m_services;
    std::vector<std::weak_ptr<X11ClientState>> m_clients;
    RestoreJournal m_journal;
    // The server's mark as the journal carries it, from the first journal write on.
    QString m_serverMark;
    QElapsedTimer m_serverMarkChecked;
    // Restores sent together and not yet finished, by device id.
    struct SentRestore
    {
        X11DeviceFacts facts;
        X11DeviceMemory* memory = nullptr; // its service's, or the unlisted device's own
        X11Restore result;
        std::vector<X11SentWrite> sent;
    };
    std::map<int, SentRestore> m_sentRestores;
    QString m_serverProcess;
};

} // namespace veloquill::x11
