// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/sway/sway_session.h"

#include "device/sway/sway_backend.h"
#include "support/log.h"

#include <QJsonObject>

namespace veloquill::sway {

JournalDevice identityOf(const SwayDeviceFacts& facts)
{
    return libinput::journalIdentity(facts.identity);
}

SwaySession::SwaySession(const QString& socketPath, const QString& journalDirectory,
                         std::chrono::milliseconds restoreLimit)
    : JournaledLibinputSession(journalDirectory,
                               {.scope = QStringLiteral("sway"),
                                .logPrefix = kLogPrefix,
                                .desktop = QStringLiteral("Sway"),
                                .speed = QStringLiteral("accel_speed"),
                                .flat = QStringLiteral("accel_profile_flat"),
                                .adaptive = std::nullopt,
                                .keptSpeed = QStringLiteral("pointer_accel"),
                                .keptProfile = QStringLiteral("accel_profile"),
                                .noVendorProduct = QStringLiteral("no vendor and product")},
                               restoreLimit),
      m_connection(socketPath)
{
    // The restore's wait looks again at each answer and at the connection, and ends with it.
    connect(&m_connection, &SwayConnection::replied, &m_journal,
            &libinput::SessionJournal::answerArrived);
    connect(&m_connection, &SwayConnection::connected, &m_journal,
            &libinput::SessionJournal::answerArrived);
    connect(&m_connection, &SwayConnection::lost, &m_journal,
            &libinput::SessionJournal::connectionEnded);
}

SwaySession::~SwaySession()
{
    // The socket closing as it is destroyed is no device leaving.
    disconnect(&m_connection, nullptr, this, nullptr);
    m_connection.setEventHandler({});
}

void SwaySession::start()
{
    m_journal.load();
    m_connection.setEventHandler(
        [weakSelf = weak_from_this()](std::uint32_t type, const QJsonDocument& json) {
            if (const auto self = weakSelf.lock())
                self->event(type, json);
        });
    connect(&m_connection, &SwayConnection::connected, this, &SwaySession::connected);
    connect(&m_connection, &SwayConnection::lost, this, &SwaySession::lost);
    m_connection.open();
}

void SwaySession::connected()
{
    // Subscribed before listing, so a device arriving meanwhile is heard.
    m_connection.send(Subscribe, R"(["input","workspace"])", [](const auto&) {});
    list(false);
}

void SwaySession::lost()
{
    const auto self = shared_from_this();
    removeAll();
}

void SwaySession::list(bool reload)
{
    ++m_listingsOnTheirWay;
    m_connection.send(
        GetInputs, {},
        [weakSelf = weak_from_this(), reload](const std::optional<QJsonDocument>& json) {
            const auto self = weakSelf.lock();
            if (!self)
                return;
            --self->m_listingsOnTheirWay;
            if (json)
                self->listed(json->array(), reload);
        });
}

void SwaySession::listed(const QJsonArray& inputs, bool reload)
{
    const auto self = shared_from_this();
    if (reload) {
        // Sway put every device back to its config: what it holds now is first seen, and each
        // comes again as a new device, so the settings layer applies its records afresh.
        for (const auto& service : m_services)
            m_journal.forget(identityOf(service->facts()));
        lost();
    }
    for (const QJsonValue& input : inputs)
        add(input.toObject(), !reload);
}

void SwaySession::add(const QJsonObject& input, bool adoptJournal)
{
    const auto facts = SwayDeviceFacts::fromInput(input);
    if (!facts || find(facts->identifier))
        return;
    auto service = std::make_shared<SwayDevice>(weak_from_this(), *facts, m_nextRegistryID++);
    if (!service->writable())
        logLine(kLogPrefix + QStringLiteral("Sway device \"") + facts->identifier +
                QStringLiteral("\" is listed but never written: no Sway command can name it "
                               "exactly"));
    // After a reload what Sway holds is first seen: the entry goes.
    if (adoptJournal)
        adoptJournaled(*service);
    else
        m_journal.forget(identityOf(*facts));
    ListingSession::add(service);
}

void SwaySession::event(std::uint32_t type, const QJsonDocument& json)
{
    const auto self = shared_from_this();
    const QJsonObject object = json.object();
    const QString change = object.value(QStringLiteral("change")).toString();
    if (type == kWorkspaceEvent) {
        if (change == QStringLiteral("reload"))
            list(true);
        return;
    }
    if (type != kInputEvent)
        return;
    const QJsonObject input = object.value(QStringLiteral("input")).toObject();
    const QString identifier = input.value(QStringLiteral("identifier")).toString();
    if (change == QStringLiteral("added")) {
        add(input, true);
    } else if (change == QStringLiteral("removed")) {
        remove(identifier);
    } else if (change == QStringLiteral("libinput_config")) {
        const auto service = find(identifier);
        const auto facts = SwayDeviceFacts::fromInput(input);
        if (service && facts)
            service->model().hold(facts->current);
    }
}

std::size_t SwaySession::restoreUnlisted()
{
    return m_journal.keepUnlisted(m_services,
                                  QStringLiteral("%1 devices are not listed by Sway; their "
                                                 "originals stay in %2 and go back when "
                                                 "they are seen again"));
}

void SwaySession::prepareRestore()
{
    const auto self = shared_from_this();
    // A connection still being made counts as a listing on its way.
    m_journal.waitUntil([this] { return swayPresent() && m_listingsOnTheirWay == 0; },
                        m_journal.restoreDeadline());
}

} // namespace veloquill::sway

namespace veloquill {

SwayBackend::SwayBackend(SwayBackendOptions options)
    : DesktopBackend(
          startSession<sway::SwaySession>(
              options.socketPath.isEmpty() ? qEnvironmentVariable("SWAYSOCK") : options.socketPath,
              options.journalDirectory, options.restoreLimit),
          ControlUnavailableReason::SwayUnreachable,
          sway::kLogPrefix +
              QStringLiteral("cannot control pointer devices: Sway's IPC socket does not answer"))
{}

} // namespace veloquill
