#include "device/kwin/kwin_session.h"

#include "device/hid_service_client_ops.h"
#include "device/kwin/kwin_service_client.h"

#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QFile>

#include <algorithm>
#include <cstring>

namespace veloquill::kwin {

namespace {
const QString kPrivateBusPrefix = QStringLiteral("veloquill-kwin-");

// KWin names devices "eventN" after their node; N and the name together name a device for as
// long as the kernel runs, which the boot id stands for.
int eventNumber(const QString& sysName)
{
    return sysName.startsWith(QStringLiteral("event")) ? sysName.mid(5).toInt() : 0;
}

QString bootMark()
{
    QFile file(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll().trimmed())
                                          : QStringLiteral("unknown");
}

JournalProperty journalProperty(const QString& name, double value)
{
    QByteArray bytes(sizeof value, Qt::Uninitialized);
    std::memcpy(bytes.data(), &value, sizeof value);
    return {name, QStringLiteral("d"), 8, static_cast<int>(sizeof value), bytes};
}

JournalProperty journalProperty(const QString& name, bool value)
{
    return {name, QStringLiteral("b"), 8, 1, QByteArray(1, value ? 1 : 0)};
}

KWinPointerSettings settingsFromJournal(const JournalDevice& device, KWinPointerSettings settings)
{
    for (const JournalProperty& property : device.properties) {
        if (property.type == QStringLiteral("d") && property.bytes.size() == sizeof(double))
            std::memcpy(&settings.speed, property.bytes.constData(), sizeof(double));
        else if (property.type == QStringLiteral("b") && property.name == Property::Flat)
            settings.flat = property.bytes.at(0) != 0;
        else if (property.type == QStringLiteral("b") && property.name == Property::Adaptive)
            settings.adaptive = property.bytes.at(0) != 0;
    }
    return settings;
}
} // namespace

KWinSession::KWinSession(const QDBusConnection& bus, const QString& journalDirectory)
    : m_calls(bus),
      m_journal(journalDirectory, {QStringLiteral("kwin"), kLogPrefix, QStringLiteral("boot")}),
      m_bootMark(bootMark())
{}

KWinSession::~KWinSession()
{
    const QString name = m_calls.bus().name();
    if (name.startsWith(kPrivateBusPrefix))
        QDBusConnection::disconnectFromBus(name);
}

void KWinSession::start()
{
    m_journal.load(m_bootMark);
    // Watched and subscribed before listing, so a device or KWin arriving meanwhile is heard.
    m_watcher = new QDBusServiceWatcher(kService, m_calls.bus(),
                                        QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, &KWinSession::ownerChanged);
    m_calls.bus().connect(kService, kManagerPath, kManagerInterface, QStringLiteral("deviceAdded"),
                          this, SLOT(deviceAdded(QString)));
    m_calls.bus().connect(kService, kManagerPath, kManagerInterface,
                          QStringLiteral("deviceRemoved"), this, SLOT(deviceRemoved(QString)));
    if (m_calls.bus().isConnected() && m_calls.bus().interface()->isServiceRegistered(kService)) {
        m_kwinPresent = true;
        listDevices();
    }
}

void KWinSession::listDevices()
{
    const auto sysNames = m_calls.deviceSysNames();
    for (const QString& sysName : sysNames.value_or(QStringList()))
        addService(sysName);
}

std::shared_ptr<KWinServiceClient> KWinSession::addService(const QString& sysName)
{
    const auto known = std::find_if(m_services.begin(), m_services.end(),
                                    [&](const auto& s) { return s->facts().sysName == sysName; });
    if (known != m_services.end())
        return nullptr;
    const auto properties = m_calls.deviceProperties(sysName);
    const auto facts =
        properties ? KWinDeviceFacts::fromProperties(sysName, *properties) : std::nullopt;
    if (!facts)
        return nullptr;
    auto service =
        std::make_shared<KWinServiceClient>(weak_from_this(), *facts, m_nextRegistryID++);
    // KWin keeps what this program set across its own restarts: the originals stay those
    // journaled before the first change.
    if (const JournalDevice* kept = m_journal.find(eventNumber(sysName), facts->name))
        service->adoptOriginals(settingsFromJournal(*kept, service->firstSeen()));
    m_services.push_back(service);
    return service;
}

void KWinSession::deviceAdded(const QString& sysName)
{
    const auto self = shared_from_this(); // a callback may drop every other reference
    const auto service = addService(sysName);
    if (!service)
        return;
    for (const auto& client : liveClients()) {
        if (client->scheduled && matchesAny(client->matching, *service))
            client->matchingCallbacks.callWhile([&client] { return client->scheduled; }, service);
    }
}

void KWinSession::removeService(const QString& sysName)
{
    const auto found = std::find_if(m_services.begin(), m_services.end(),
                                    [&](const auto& s) { return s->facts().sysName == sysName; });
    if (found == m_services.end())
        return;
    const auto service = *found;
    m_services.erase(found);
    service->leave();
}

void KWinSession::deviceRemoved(const QString& sysName)
{
    const auto self = shared_from_this();
    removeService(sysName);
}

void KWinSession::ownerChanged(const QString&, const QString& oldOwner, const QString& newOwner)
{
    const auto self = shared_from_this();
    if (!oldOwner.isEmpty()) {
        m_kwinPresent = false;
        while (!m_services.empty())
            removeService(m_services.front()->facts().sysName);
    }
    if (newOwner.isEmpty())
        return;
    m_kwinPresent = true;
    const auto sysNames = m_calls.deviceSysNames();
    for (const QString& sysName : sysNames.value_or(QStringList()))
        deviceAdded(sysName);
}

void KWinSession::attachClient(const std::shared_ptr<KWinClientState>& client)
{
    m_clients.push_back(client);
}

std::vector<std::shared_ptr<KWinClientState>> KWinSession::liveClients()
{
    std::erase_if(m_clients, [](const auto& client) { return client.expired(); });
    std::vector<std::shared_ptr<KWinClientState>> clients;
    for (const auto& client : m_clients)
        clients.push_back(client.lock());
    return clients;
}

void KWinSession::notifyChanged(const QStringList& keys)
{
    const auto self = shared_from_this();
    for (const auto& client : liveClients()) {
        // Lists a callback registers meanwhile are not walked; the lists themselves stay
        // where they are for as long as the client does.
        std::vector<HidCallbackList<void()>*> lists;
        for (const auto& [key, callbacks] : client->propertyCallbacks) {
            if (keys.contains(key))
                lists.push_back(callbacks.get());
        }
        for (auto* callbacks : lists)
            callbacks->callWhile([&client] { return client->scheduled; });
    }
}

void KWinSession::journalOriginals(const KWinServiceClient& service)
{
    const KWinPointerSettings& first = service.firstSeen();
    m_journal.record({eventNumber(service.facts().sysName),
                      service.facts().name,
                      {journalProperty(Property::Speed, first.speed),
                       journalProperty(Property::Flat, first.flat),
                       journalProperty(Property::Adaptive, first.adaptive)}},
                     m_bootMark);
}

} // namespace veloquill::kwin
