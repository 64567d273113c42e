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

// The journal check (x11_journal_check.cpp). A journal is input like any other: before its values
// are used, its server is identified and each entry is held against what the X server could have
// given the backend.
//
// Which X server a journal was written on. A server that has ended took its devices with it,
// and a new one may give other devices the same ids and names, so a journal names its server:
// by an id on the root window (_VELOQUILL_SERVER, which any client could delete) and, for a
// local server, by its process as the system knows it (boot, pid and start time), which no
// client can change.

// "<boot id>/<pid>/<start time>" of the server process at the other end of a local
// connection; empty when the system cannot say (a remote server, one in another namespace).
QString serverProcessMark(X11Connection& connection);

// The mark a journal written now carries: the root window's id, put there when missing
// (`wanted`'s id if it has one, else the id found, else a new one), and the process mark.
QString claimServerMark(X11Connection& connection, const QString& wanted,
                        const QString& processMark);

// What a journal's mark says of the server `connection` reaches, whose process mark is
// `processMark`. The same server: its id is on the root window, or the id is gone (another
// client deleted it) and the process is the same. Ended: another boot, or, where the system
// shows the server's process, that process is gone. Anything else is in doubt.
JournalServer compareServerMark(X11Connection& connection, const QString& journalMark,
                                const QString& processMark);

// Why the backend would never have journalled the property as it stands, or empty: a
// property it does not write, a value the server never holds (a matrix that is not finite and
// invertible, a speed out of range, …), or, when the device is present (`device`), a type,
// format or item count other than its property has now.
QString journalPropertyFault(const JournalProperty& property, const X11Atoms& atoms,
                             _XDisplay* display, const X11DeviceProperties* device);

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
    // each device's outcome for its restoreDevice. Entries put back from here on leave the
    // journal together, at the end of restoreUnlisted.
    void sendListedRestores();
    // Puts back the devices the journal names that the server has but that are not listed
    // (disabled, floating, or left out XTEST devices); how many could not be.
    std::size_t restoreUnlisted();
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
