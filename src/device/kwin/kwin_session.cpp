// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/kwin/kwin_session.h"

#include "device/kwin/kwin_service_client.h"
#include "device/libinput_mapping.h"
#include "support/log.h"

#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace veloquill::kwin {

namespace {
const QString kPrivateBusPrefix = QStringLiteral("veloquill-kwin-");

// KWin keeps a device's settings under its vendor, product and name, and gives them back
// whenever a device so named appears, under whichever event node. The journal names the node
// too: identical devices are device objects of their own, each written and put back.
JournalDevice identity(const KWinDeviceFacts& facts)
{
    JournalDevice device{0, facts.name, {}, JournalVendorProduct{facts.vendor, facts.product}};
    device.node = facts.sysName;
    return device;
}

// Why an entry is none this backend writes; empty when it is one.
QString journalFault(const JournalDevice& entry, const JournalProperty& property)
{
    if (!entry.vendorProduct)
        return QStringLiteral("no vendor and product (written by an earlier version)");
    const bool speed = property.name == Property::Speed;
    const bool profile = property.name == Property::Flat || property.name == Property::Adaptive;
    const bool wellFormed =
        speed ? property.type == QStringLiteral("d") && property.count == sizeof(double)
              : profile && property.type == QStringLiteral("b") && property.count == 1;
    if (!wellFormed || property.writtenState == JournalWritten::Unknown)
        return QStringLiteral("not as this program writes it");
    const auto inRange = [](double value) {
        return value >= libinput::kMinSpeed && value <= libinput::kMaxSpeed;
    };
    if (speed && (!inRange(journalDouble(property.bytes)) ||
                  (property.writtenState == JournalWritten::Value &&
                   !inRange(journalDouble(property.written)))))
        return QStringLiteral("a speed outside −1…1");
    return {};
}

std::pair<KWinPointerSettings, KWinWritten> fromJournal(const JournalDevice& device,
                                                        KWinPointerSettings settings)
{
    KWinWritten written;
    for (const JournalProperty& property : device.properties) {
        const bool wrote = property.writtenState == JournalWritten::Value;
        if (property.name == Property::Speed) {
            settings.speed = journalDouble(property.bytes);
            if (wrote)
                written.speed = journalDouble(property.written);
        } else if (property.name == Property::Flat) {
            settings.flat = journalBool(property.bytes);
            if (wrote)
                written.flat = journalBool(property.written);
        } else {
            settings.adaptive = journalBool(property.bytes);
        }
    }
    return {settings, written};
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
    m_journal.load(m_bootMark, journalFault);
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
    // KWin keeps what this program set, across its own restarts and the device's unplugging:
    // the originals stay those journaled before the first change.
    if (const JournalDevice* kept = journalEntryFor(*facts)) {
        const auto [originals, written] = fromJournal(*kept, service->firstSeen());
        service->adoptOriginals(originals, written);
        if (kept->node != facts->sysName && !lists(kept->node)) {
            // Plugged in again under another node: the entry follows it.
            JournalDevice moved = *kept;
            moved.node = facts->sysName;
            m_journal.forget(*kept);
            m_journal.record(std::move(moved), m_bootMark);
        }
    }
    m_services.push_back(service);
    return service;
}

bool KWinSession::lists(const QString& sysName) const
{
    return std::any_of(m_services.begin(), m_services.end(),
                       [&](const auto& service) { return service->facts().sysName == sysName; });
}

const JournalDevice* KWinSession::journalEntryFor(const KWinDeviceFacts& facts) const
{
    const JournalDevice key = identity(facts);
    if (const JournalDevice* kept = m_journal.find(key))
        return kept;
    const JournalDevice* twin = nullptr;
    for (const JournalDevice& entry : m_journal.devices()) {
        JournalDevice elsewhere = key;
        elsewhere.node = entry.node;
        if (!entry.sameDevice(elsewhere))
            continue;
        if (!lists(entry.node))
            return &entry;
        if (!twin)
            twin = &entry;
    }
    return twin;
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
    announce(service);
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

std::vector<std::shared_ptr<ListedService>> KWinSession::listedServices() const
{
    return {m_services.begin(), m_services.end()};
}

void KWinSession::journalDevice(const KWinServiceClient& service)
{
    const KWinPointerSettings& first = service.firstSeen();
    const KWinWritten& written = service.written();
    JournalDevice device = identity(service.facts());
    device.properties = {
        journalProperty(Property::Speed, first.speed, written.speed),
        journalProperty(Property::Flat, first.flat, written.flat),
        journalProperty(Property::Adaptive, first.adaptive,
                        written.flat ? std::optional(!*written.flat) : std::nullopt)};
    m_journal.record(std::move(device), m_bootMark);
}

void KWinSession::forgetDevice(const KWinServiceClient& service)
{
    m_journal.forget(identity(service.facts()));
}

std::size_t KWinSession::restoreUnlisted()
{
    const auto unlisted = std::count_if(
        m_journal.devices().begin(), m_journal.devices().end(), [this](const JournalDevice& entry) {
            return std::none_of(m_services.begin(), m_services.end(), [&](const auto& service) {
                return identity(service->facts()).sameDevice(entry);
            });
        });
    if (unlisted == 0)
        return 0;
    const QString count = QString::number(unlisted);
    logLine(kLogPrefix +
            (m_kwinPresent
                 ? count +
                       QStringLiteral(" devices are not connected; their originals "
                                      "stay in ") +
                       m_journal.path() + QStringLiteral(" and go back when they are seen again")
                 : QStringLiteral("KWin is not on the session bus; the originals of ") + count +
                       QStringLiteral(" devices stay in ") + m_journal.path() +
                       QStringLiteral(" and go back when KWin lists them again")));
    return static_cast<std::size_t>(unlisted);
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
