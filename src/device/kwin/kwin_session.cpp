// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/kwin/kwin_session.h"

#include "device/kwin/kwin_backend.h"
#include "device/kwin/kwin_device.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>

namespace veloquill::kwin {

namespace {
const QString kPrivateBusPrefix = QStringLiteral("veloquill-kwin-");

// One private connection per use: Qt reuses a connection by name.
QDBusConnection connectTo(const QString& busAddress)
{
    static int next = 0;
    return busAddress.isEmpty() ? QDBusConnection::sessionBus()
                                : QDBusConnection::connectToBus(
                                      busAddress, kPrivateBusPrefix + QString::number(next++));
}
} // namespace

JournalDevice identityOf(const KWinDeviceFacts& facts)
{
    return libinput::journalIdentity(facts.identity, facts.sysName);
}

KWinSession::KWinSession(const QString& busAddress, const QString& journalDirectory,
                         std::chrono::milliseconds restoreLimit)
    : JournaledLibinputSession(journalDirectory,
                               {.scope = QStringLiteral("kwin"),
                                .logPrefix = kLogPrefix,
                                .desktop = QStringLiteral("KWin"),
                                .speed = Property::Speed,
                                .flat = Property::Flat,
                                .adaptive = Property::Adaptive,
                                .noVendorProduct = QStringLiteral(
                                    "no vendor and product (written by an earlier version)")},
                               restoreLimit),
      m_calls(connectTo(busAddress))
{}

KWinSession::~KWinSession()
{
    const QString name = m_calls.bus().name();
    if (name.startsWith(kPrivateBusPrefix))
        QDBusConnection::disconnectFromBus(name);
}

void KWinSession::start()
{
    m_journal.load();
    m_calls.setAfterAnswer([weakSelf = weak_from_this()] {
        if (const auto self = weakSelf.lock())
            Q_EMIT self->m_journal.answerArrived();
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

void KWinSession::deviceAdded(const QString& sysName)
{
    if (find(sysName) || m_arriving.contains(sysName))
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
        const auto facts =
            properties ? KWinDeviceFacts::fromProperties(sysName, *properties) : std::nullopt;
        if (!facts)
            return;
        auto service = std::make_shared<KWinDevice>(self, *facts, self->m_nextRegistryID++);
        self->adoptJournaled(*service);
        self->add(service);
    });
}

void KWinSession::deviceRemoved(const QString& sysName)
{
    const auto self = shared_from_this();
    m_arriving.erase(sysName);
    remove(sysName);
}

void KWinSession::ownerChanged(const QString&, const QString& oldOwner, const QString& newOwner)
{
    const auto self = shared_from_this();
    if (!oldOwner.isEmpty()) {
        m_kwinPresent = false;
        ++m_generation;
        m_arriving.clear();
        removeAll();
    }
    if (newOwner.isEmpty())
        return;
    m_kwinPresent = true;
    listDevices();
}

std::size_t KWinSession::restoreUnlisted()
{
    return m_journal.keepUnlisted(
        m_services, m_kwinPresent
                        ? QStringLiteral("%1 devices are not connected; their originals "
                                         "stay in %2 and go back when they are seen again")
                        : QStringLiteral("KWin is not on the session bus; the originals of "
                                         "%1 devices stay in %2 and go back when KWin "
                                         "lists them again"));
}

void KWinSession::prepareRestore()
{
    const auto self = shared_from_this();
    if (!m_kwinPresent)
        return;
    m_journal.waitUntil([this] { return m_listingsOnTheirWay == 0; }, m_journal.restoreDeadline());
    for (const auto& service : std::vector(m_services))
        service->sendRestore();
}

} // namespace veloquill::kwin

namespace veloquill {

KWinBackend::KWinBackend(KWinBackendOptions options)
    : DesktopBackend(
          startSession<kwin::KWinSession>(options.busAddress, options.journalDirectory,
                                          options.restoreLimit),
          ControlUnavailableReason::KWinUnreachable,
          kwin::kLogPrefix +
              QStringLiteral("cannot control pointer devices: KWin is not on the session bus"))
{}

bool KWinBackend::managerAnswers(const QString& busAddress)
{
    // A connection of its own, usable before the QApplication exists, and silent: a session
    // without KWin is no error. It waits, but before the program has anything to serve.
    const QString name = QStringLiteral("veloquill-kwin-probe");
    const QDBusConnection bus =
        busAddress.isEmpty() ? QDBusConnection::connectToBus(QDBusConnection::SessionBus, name)
                             : QDBusConnection::connectToBus(busAddress, name);
    const bool answers =
        bus.isConnected() && bus.call(kwin::devicesSysNamesCall(), QDBus::Block, 2000).type() ==
                                 QDBusMessage::ReplyMessage;
    QDBusConnection::disconnectFromBus(name);
    return answers;
}

} // namespace veloquill
