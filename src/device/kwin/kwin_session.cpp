#include "device/kwin/kwin_session.h"

#include "device/hid_service_client_ops.h"
#include "device/kwin/kwin_service_client.h"

#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

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

KWinSession::KWinSession(const QDBusConnection& bus, const QString& journalDirectory,
                         std::chrono::milliseconds restoreLimit)
    : m_calls(bus), m_restoreLimit(restoreLimit),
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
    m_calls.setAfterAnswer([weakSelf = weak_from_this()] {
        if (const auto self = weakSelf.lock())
            Q_EMIT self->answerArrived();
    });
    // Watched and subscribed before listing, so a device or KWin arriving meanwhile is heard.
    m_watcher = new QDBusServiceWatcher(kService, m_calls.bus(),
                                        QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, &KWinSession::ownerChanged);
    m_calls.bus().connect(kService, kManagerPath, kManagerInterface, QStringLiteral("deviceAdded"),
                          this, SLOT(deviceAdded(QString)));
    m_calls.bus().connect(kService, kManagerPath, kManagerInterface,
                          QStringLiteral("deviceRemoved"), this, SLOT(deviceRemoved(QString)));
    // Asks the bus daemon, which answers at once, not KWin.
    if (m_calls.bus().isConnected() && m_calls.bus().interface()->isServiceRegistered(kService)) {
        m_kwinPresent = true;
        listDevices();
    }
}

void KWinSession::listDevices()
{
    ++m_listingsOnTheirWay;
    m_calls.deviceSysNames([weakSelf = weak_from_this(),
                            generation = m_generation](const std::optional<QStringList>& names) {
        const auto self = weakSelf.lock();
        if (!self)
            return;
        --self->m_listingsOnTheirWay;
        if (generation != self->m_generation)
            return;
        for (const QString& sysName : names.value_or(QStringList()))
            self->deviceAdded(sysName);
    });
}

std::shared_ptr<KWinServiceClient> KWinSession::addService(const QString& sysName,
                                                           const QVariantMap& properties)
{
    const auto facts = KWinDeviceFacts::fromProperties(sysName, properties);
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
    const bool known = std::any_of(m_services.begin(), m_services.end(),
                                   [&](const auto& s) { return s->facts().sysName == sysName; });
    if (known || m_arriving.contains(sysName))
        return;
    const std::uint64_t arrival = m_nextArrival++;
    m_arriving[sysName] = arrival;
    ++m_listingsOnTheirWay;
    m_calls.deviceProperties(sysName, [weakSelf = weak_from_this(), sysName,
                                       arrival](const std::optional<QVariantMap>& properties) {
        const auto self = weakSelf.lock();
        if (!self)
            return;
        --self->m_listingsOnTheirWay;
        // Removed meanwhile, or KWin restarted: a later arrival asks again.
        const auto found = self->m_arriving.find(sysName);
        if (found == self->m_arriving.end() || found->second != arrival)
            return;
        self->m_arriving.erase(found);
        self->deviceArrived(sysName, properties);
    });
}

void KWinSession::deviceArrived(const QString& sysName,
                                const std::optional<QVariantMap>& properties)
{
    const auto self = shared_from_this(); // a callback may drop every other reference
    const auto service = properties ? addService(sysName, *properties) : nullptr;
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
    m_arriving.erase(sysName);
    removeService(sysName);
}

void KWinSession::ownerChanged(const QString&, const QString& oldOwner, const QString& newOwner)
{
    const auto self = shared_from_this();
    if (!oldOwner.isEmpty()) {
        m_kwinPresent = false;
        ++m_generation;
        m_arriving.clear();
        while (!m_services.empty())
            removeService(m_services.front()->facts().sysName);
    }
    if (newOwner.isEmpty())
        return;
    m_kwinPresent = true;
    listDevices();
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

QDeadlineTimer KWinSession::restoreDeadline()
{
    if (!m_restoreDeadline)
        m_restoreDeadline = QDeadlineTimer(m_restoreLimit);
    return *m_restoreDeadline;
}

bool KWinSession::waitUntil(const std::function<bool()>& done, QDeadlineTimer deadline)
{
    if (done() || deadline.hasExpired())
        return done();
    // Only at quit, when nothing else is left to serve.
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &KWinSession::answerArrived, &loop, [&] {
        if (done())
            loop.quit();
    });
    timer.start(static_cast<int>(deadline.remainingTime()));
    loop.exec();
    return done();
}

void KWinSession::prepareRestore()
{
    const auto self = shared_from_this();
    if (!m_kwinPresent)
        return;
    waitUntil([this] { return !listing(); }, restoreDeadline());
    for (const auto& service : std::vector(m_services))
        service->sendRestore();
}

} // namespace veloquill::kwin
