// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/x11_session.h"

#include "device/x11/x11_connection.h"
#include "device/x11/x11_device.h"
#include "device/x11/x11_device_mapping.h"
#include "support/display_name.h"
#include "support/log.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>
#include <deque>

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace veloquill::x11 {

namespace {
// Marks each write of `sent` the server refused, by the serials of the errors it sent.
void noteRefused(const std::vector<unsigned long>& errors, const std::vector<X11SentWrite>& sent,
                 X11Restore& result)
{
    for (const X11SentWrite& write : sent) {
        if (std::any_of(errors.begin(), errors.end(), [&](unsigned long serial) {
                return serial >= write.first && serial < write.end;
            }))
            result.refused.push_back(write.property);
    }
}

QByteArray bytesOf(const RawProperty& value)
{
    return QByteArray(reinterpret_cast<const char*>(value.bytes.data()),
                      static_cast<qsizetype>(value.bytes.size()));
}

QString quotedNames(Display* display, const std::vector<XAtom>& properties)
{
    QStringList names;
    for (XAtom property : properties)
        names.append(QLatin1Char('"') + atomName(display, property) + QLatin1Char('"'));
    return names.join(QStringLiteral(", "));
}

// A checked journal entry as the backend's memory of the device: its originals as first
// seen, the device as changed, and what was written to each property.
void readJournalEntry(Display* display, const JournalDevice& entry, X11DeviceMemory& memory)
{
    memory.changed = true;
    for (const JournalProperty& property : entry.properties) {
        const XAtom atom = XInternAtom(display, qPrintable(property.name), False);
        const auto* bytes = reinterpret_cast<const unsigned char*>(property.bytes.constData());
        RawProperty first{XInternAtom(display, qPrintable(property.type), False), property.format,
                          static_cast<std::size_t>(property.count),
                          std::vector<unsigned char>(bytes, bytes + property.bytes.size())};
        if (property.writtenState == JournalWritten::Unknown) {
            memory.written[atom] = std::nullopt;
        } else if (property.writtenState == JournalWritten::Value) {
            const auto* written =
                reinterpret_cast<const unsigned char*>(property.written.constData());
            RawProperty last = first;
            last.bytes.assign(written, written + property.written.size());
            memory.written[atom] = std::move(last);
        }
        memory.firstSeen[atom] = std::move(first);
    }
}
} // namespace

std::shared_ptr<X11Session> X11Session::open(const QString& displayName, bool includeVirtualDevices,
                                             const QString& journalDirectory, QString* failure,
                                             ControlUnavailableReason* reason)
{
    auto connection = X11Connection::open(displayName, failure, reason);
    if (!connection)
        return nullptr;
    auto session = std::shared_ptr<X11Session>(
        new X11Session(std::move(connection), includeVirtualDevices, journalDirectory));
    // Before the devices are listed, so that they take the originals it names.
    session->loadJournal();
    X11Session* raw = session.get();
    session->m_connection->setEventHandler([raw](XEvent& event) { raw->handleEvent(event); });
    // Selected before listing, so a device arriving in between is not missed. Rare events,
    // selected for the session's whole life: they never come with motion. Property events tell
    // which values kept from earlier reads and writes another program changed.
    std::array<unsigned char, XIMaskLen(XI_LASTEVENT)> mask{};
    XISetMask(mask.data(), XI_HierarchyChanged);
    XISetMask(mask.data(), XI_PropertyEvent);
    XIEventMask selection{XIAllDevices, static_cast<int>(mask.size()), mask.data()};
    Display* display = session->m_connection->display();
    XISelectEvents(display, DefaultRootWindow(display), &selection, 1);
    session->m_connection->sync();
    session->handleHierarchyChange({});
    return session;
}

X11Session::X11Session(std::unique_ptr<X11Connection> connection, bool includeVirtualDevices,
                       const QString& journalDirectory)
    : m_connection(std::move(connection)), m_atoms(X11Atoms::intern(m_connection->display())),
      m_includeVirtualDevices(includeVirtualDevices),
      m_journal(journalDirectory,
                {canonicalDisplayName(m_connection->displayName()),
                 QStringLiteral("X11HidEventSystem: "), QStringLiteral("X server")})
{}

void X11Session::loadJournal()
{
    m_serverProcess = serverProcessMark(*m_connection);
    const auto existing = listExistingSlaves(*m_connection);
    const auto exists = [existing](const JournalDevice& entry) {
        return std::find(existing.begin(), existing.end(), std::pair(entry.deviceId, entry.name)) !=
               existing.end();
    };
    m_journal.load(
        [this](const QString& mark) {
            const JournalServer server = compareServerMark(*m_connection, mark, m_serverProcess);
            // Its id goes back on the root window with the next write, should it be gone.
            if (server == JournalServer::Same)
                m_serverMark = mark;
            return server;
        },
        [&](const JournalDevice& entry, const JournalProperty& property) {
            X11DeviceProperties device(*m_connection, m_atoms, entry.deviceId);
            return journalPropertyFault(property, m_atoms, m_connection->display(),
                                        exists(entry) ? &device : nullptr);
        });
    // Removed while no run watched: nothing of them is left to put back.
    std::set<int> removed;
    for (const JournalDevice& entry : m_journal.devices()) {
        if (!exists(entry))
            removed.insert(entry.deviceId);
    }
    forgetRemoved(removed);
}

void X11Session::journalOriginals(const X11DeviceFacts& facts, const X11DeviceMemory& memory)
{
    // Atoms by name: the journal is read back on another connection.
    Display* display = m_connection->display();
    JournalDevice device{facts.deviceId, facts.name, {}};
    for (const auto& [property, value] : memory.firstSeen) {
        JournalProperty entry{atomName(display, property), atomName(display, value.type),
                              value.format, static_cast<int>(value.count), bytesOf(value)};
        const auto written = memory.written.find(property);
        entry.writtenState = written == memory.written.end() ? JournalWritten::Never
                             : written->second               ? JournalWritten::Value
                                                             : JournalWritten::Unknown;
        if (written != memory.written.end() && written->second) {
            entry.written = bytesOf(*written->second);
            // Another size cannot be kept beside the original: any value then counts as ours.
            if (entry.written.size() != entry.bytes.size())
                entry.writtenState = JournalWritten::Unknown;
        }
        device.properties.push_back(std::move(entry));
    }
    // Put back on the root window should another client have taken it away: looked at once a
    // second at most, not on every step of a slider.
    if (!m_serverMarkChecked.isValid() || m_serverMarkChecked.hasExpired(1000)) {
        m_serverMark = claimServerMark(*m_connection, m_serverMark, m_serverProcess);
        m_serverMarkChecked.start();
    }
    m_journal.record(std::move(device), m_serverMark);
}

RestoreOutcome X11Session::restoreDevice(const X11DeviceFacts& facts, X11DeviceMemory& memory)
{
    if (const auto sent = m_sentRestores.find(facts.deviceId); sent != m_sentRestores.end()) {
        const X11Restore result = sent->second.result;
        m_sentRestores.erase(sent);
        return finishRestore(facts, memory, result);
    }
    return finishRestore(facts, memory, putBack(facts, memory, nullptr));
}

X11Restore X11Session::putBack(const X11DeviceFacts& facts, X11DeviceMemory& memory,
                               std::vector<X11SentWrite>* sent)
{
    // What is still ours is judged on the feedback as it is now, not as it was written.
    m_connection->properties().forgetFeedback(facts.deviceId);
    X11DeviceProperties properties(*m_connection, m_atoms, facts.deviceId);
    properties.sendWithoutWaiting(sent);
    memory.writtenGain.reset();
    memory.writtenAcceleration.reset();
    X11Restore result;
    for (const auto& [property, first] : memory.firstSeen) {
        const auto written = memory.written.find(property);
        if (written == memory.written.end())
            continue;
        const auto now = properties.raw(property);
        if (!now || *now == first)
            continue; // gone with its property, or back already
        if (written->second && *written->second != *now)
            result.keptByOthers.push_back(property);
        else if (!properties.writeRaw(property, first))
            result.refused.push_back(property);
    }
    return result;
}

RestoreOutcome X11Session::finishRestore(const X11DeviceFacts& facts, X11DeviceMemory& memory,
                                         const X11Restore& result)
{
    if (m_connection->isLost())
        return RestoreOutcome::Unreachable;
    Display* display = m_connection->display();
    if (!result.keptByOthers.empty())
        logLine(QStringLiteral("X11HidEventSystem: ") + describeDevice(facts) +
                QStringLiteral(" keeps what another program set since: ") +
                quotedNames(display, result.keptByOthers));
    if (!result.refused.empty()) {
        logLine(QStringLiteral("X11HidEventSystem: the X server refused to put back ") +
                quotedNames(display, result.refused) + QStringLiteral(" on ") +
                describeDevice(facts) + QStringLiteral("; its originals stay in ") +
                m_journal.path());
        return RestoreOutcome::Refused;
    }
    memory.changed = false;
    memory.written.clear();
    m_journal.forget({facts.deviceId, facts.name});
    return RestoreOutcome::Restored;
}

void X11Session::sendListedRestores()
{
    m_journal.holdWrites();
    if (m_connection->isLost())
        return;
    m_connection->keepErrorSerials();
    for (const auto& service : m_services) {
        if (X11DeviceMemory* memory = service->memoryToRestore()) {
            SentRestore& restore = m_sentRestores[service->facts().deviceId];
            restore = SentRestore{service->facts(), memory, {}, {}};
            restore.result = putBack(restore.facts, *memory, &restore.sent);
        }
    }
    m_connection->sync();
    const std::vector<unsigned long> errors = m_connection->takeErrorSerials();
    for (auto& [deviceId, restore] : m_sentRestores)
        noteRefused(errors, restore.sent, restore.result);
}

std::size_t X11Session::restoreUnlisted()
{
    // A listed device the device layer did not ask for after all is finished here.
    std::size_t failed = 0;
    for (auto& [deviceId, restore] : std::exchange(m_sentRestores, {})) {
        if (finishRestore(restore.facts, *restore.memory, restore.result) !=
            RestoreOutcome::Restored)
            ++failed;
    }
    if (m_connection->isLost()) {
        m_journal.releaseWrites();
        return m_journal.devices().size();
    }
    const auto existing = listExistingSlaves(*m_connection);
    std::deque<X11DeviceMemory> memories; // the unlisted devices' own, held nowhere else
    std::vector<SentRestore> pending;
    // Every device's writes are sent first and the server waited for once; the serial of each
    // error tells which write it refused.
    m_connection->keepErrorSerials();
    const auto entries = m_journal.devices();
    for (const JournalDevice& entry : entries) {
        const auto listed = serviceForDevice(entry.deviceId);
        if (listed && listed->facts().name == entry.name)
            continue; // the device layer puts it back
        if (std::find(existing.begin(), existing.end(), std::pair(entry.deviceId, entry.name)) ==
            existing.end()) {
            m_journal.forget({entry.deviceId, entry.name});
            continue;
        }
        X11DeviceMemory& memory = memories.emplace_back();
        readJournalEntry(m_connection->display(), entry, memory);
        SentRestore& device = pending.emplace_back(
            SentRestore{{entry.deviceId, entry.name, 0, false}, &memory, {}, {}});
        device.result = putBack(device.facts, memory, &device.sent);
    }
    m_connection->sync();
    const std::vector<unsigned long> errors = m_connection->takeErrorSerials();
    for (SentRestore& device : pending) {
        noteRefused(errors, device.sent, device.result);
        if (finishRestore(device.facts, *device.memory, device.result) == RestoreOutcome::Restored)
            logLine(QStringLiteral("X11HidEventSystem: put back ") + describeDevice(device.facts) +
                    QStringLiteral(", which is not listed (disabled or floating)"));
        else
            ++failed;
    }
    m_journal.releaseWrites();
    return failed;
}

void X11Session::forgetRemoved(const std::set<int>& removedDeviceIds)
{
    const auto entries = m_journal.devices();
    for (const JournalDevice& entry : entries) {
        if (removedDeviceIds.count(entry.deviceId) == 0)
            continue;
        m_journal.forget({entry.deviceId, entry.name});
        logLine(QStringLiteral("X11HidEventSystem: device ") + QString::number(entry.deviceId) +
                QStringLiteral(" \"") + entry.name +
                QStringLiteral("\" was removed from the X server, which keeps nothing of it; "
                               "its originals are dropped"));
    }
}

X11Session::~X11Session() = default;

std::vector<std::shared_ptr<X11ClientState>> X11Session::liveClients()
{
    std::erase_if(m_clients, [](const auto& weak) { return weak.expired(); });
    std::vector<std::shared_ptr<X11ClientState>> live;
    for (const auto& weak : m_clients) {
        if (auto state = weak.lock(); state && !state->destroyed)
            live.push_back(std::move(state));
    }
    return live;
}

std::shared_ptr<X11Device> X11Session::serviceForDevice(int deviceId) const
{
    const auto found = std::find_if(m_services.begin(), m_services.end(),
                                    [&](const auto& s) { return s->facts().deviceId == deviceId; });
    return found == m_services.end() ? nullptr : *found;
}

std::shared_ptr<X11Device> X11Session::addService(const X11DeviceFacts& facts)
{
    auto service = std::make_shared<X11Device>(weak_from_this(), facts, m_nextRegistryID++);
    service->rememberFirstSeen();
    if (const JournalDevice* kept = m_journal.find({facts.deviceId, facts.name})) {
        X11DeviceMemory journalled;
        readJournalEntry(m_connection->display(), *kept, journalled);
        service->adoptOriginals(journalled);
    }
    m_services.push_back(service);
    return service;
}

void X11Session::handleEvent(XEvent& event)
{
    XGenericEventCookie& cookie = event.xcookie;
    if (cookie.type != GenericEvent || cookie.extension != m_connection->inputExtensionOpcode())
        return;
    Display* display = m_connection->display();
    if (!XGetEventData(display, &cookie))
        return;
    // Callbacks below may drop every other reference to the session; it ends later, on the
    // main loop, not while its connection is still reading.
    auto self = shared_from_this();
    switch (cookie.evtype) {
    case XI_HierarchyChanged: {
        const auto* change = static_cast<const XIHierarchyEvent*>(cookie.data);
        std::set<int> removed, removedFromServer;
        for (int i = 0; i < change->num_info; ++i) {
            if (change->info[i].flags & (XISlaveRemoved | XIDeviceDisabled | XISlaveDetached))
                removed.insert(change->info[i].deviceid);
            if (change->info[i].flags & XISlaveRemoved)
                removedFromServer.insert(change->info[i].deviceid);
        }
        m_connection->properties().clear();
        forgetRemoved(removedFromServer);
        handleHierarchyChange(removed);
        break;
    }
    case XI_PropertyEvent: {
        // Another program's change: what was read or written before no longer stands.
        const auto* change = static_cast<const XIPropertyEvent*>(cookie.data);
        m_connection->properties().noteEvent(change->deviceid, change->property);
        break;
    }
    default:
        break;
    }
    XFreeEventData(display, &cookie);
    if (self.use_count() == 1)
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [self] {}, Qt::QueuedConnection);
}

void X11Session::handleHierarchyChange(const std::set<int>& removedDeviceIds)
{
    std::vector<X11DeviceFacts> present = listSlavePointers(*m_connection, m_atoms);
    std::erase_if(present, [&](const X11DeviceFacts& facts) {
        return facts.isVirtual && !m_includeVirtualDevices;
    });
    const auto isPresent = [&](int deviceId) {
        return std::any_of(present.begin(), present.end(),
                           [&](const X11DeviceFacts& f) { return f.deviceId == deviceId; });
    };

    std::vector<std::shared_ptr<X11Device>> left;
    std::erase_if(m_services, [&](const std::shared_ptr<X11Device>& service) {
        const int id = service->facts().deviceId;
        const bool gone = removedDeviceIds.count(id) > 0 || !isPresent(id);
        if (gone)
            left.push_back(service);
        return gone;
    });
    std::vector<std::shared_ptr<X11Device>> arrived;
    for (const X11DeviceFacts& facts : present) {
        if (!serviceForDevice(facts.deviceId))
            arrived.push_back(addService(facts));
    }

    for (const auto& service : left)
        service->leave();
    for (const auto& service : arrived) {
        for (const auto& client : liveClients()) {
            // Before every call the client must still be listening: a callback may unschedule
            // or destroy it.
            client->arrivalCallbacks.callWhile([&] { return client->isListening(); }, service);
        }
    }
}

} // namespace veloquill::x11
