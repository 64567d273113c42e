// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/sway/sway_session.h"

#include "device/hid_keys.h"
#include "device/libinput_mapping.h"
#include "device/sway/sway_service_client.h"
#include "support/log.h"

#include <QEventLoop>
#include <QFile>
#include <QJsonObject>
#include <QTimer>

#include <algorithm>
#include <cstring>

namespace veloquill::sway {

namespace {
const QString kSpeed = QStringLiteral("accel_speed");
const QString kFlat = QStringLiteral("accel_profile_flat");

// Sway matches a device's settings by its identifier, made of vendor, product and name: the
// journal names it by those, as it does KWin's.
JournalDevice identity(const SwayDeviceFacts& facts)
{
    return {0, facts.name, {}, JournalVendorProduct{facts.vendor, facts.product}};
}

QString journalFault(const JournalDevice& entry, const JournalProperty& property)
{
    if (!entry.vendorProduct)
        return QStringLiteral("no vendor and product");
    const bool speed = property.name == kSpeed;
    const int size = speed ? sizeof(double) : sizeof(bool);
    const bool wellFormed =
        (speed || property.name == kFlat) && property.count == size &&
        property.bytes.size() == size && property.writtenState != JournalWritten::Unknown &&
        (property.writtenState == JournalWritten::Never || property.written.size() == size);
    if (!wellFormed)
        return QStringLiteral("not as this program writes it");
    const auto inRange = [](const QByteArray& bytes) {
        const double value = journalDouble(bytes);
        return value >= libinput::kMinSpeed && value <= libinput::kMaxSpeed;
    };
    if (speed && (!inRange(property.bytes) ||
                  (property.writtenState == JournalWritten::Value && !inRange(property.written))))
        return QStringLiteral("a speed outside −1…1");
    return {};
}
} // namespace

SwaySession::SwaySession(const QString& socketPath, const QString& journalDirectory,
                         std::chrono::milliseconds restoreLimit)
    : m_connection(socketPath), m_restoreLimit(restoreLimit),
      m_journal(journalDirectory, {QStringLiteral("sway"), kLogPrefix, QStringLiteral("boot")}),
      m_bootMark(bootMark())
{}

SwaySession::~SwaySession()
{
    // The socket closing as it is destroyed is no device leaving.
    disconnect(&m_connection, nullptr, this, nullptr);
    m_connection.setEventHandler({});
}

void SwaySession::start()
{
    m_journal.load(m_bootMark, journalFault);
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
    while (!m_services.empty())
        remove(m_services.front()->facts().identifier);
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
            forgetDevice(*service);
        lost();
    }
    for (const QJsonValue& input : inputs)
        add(input.toObject(), !reload);
}

std::shared_ptr<SwayServiceClient> SwaySession::find(const QString& identifier) const
{
    const auto found = std::find_if(m_services.begin(), m_services.end(), [&](const auto& s) {
        return s->facts().identifier == identifier;
    });
    return found == m_services.end() ? nullptr : *found;
}

void SwaySession::add(const QJsonObject& input, bool adoptJournal)
{
    const auto facts = SwayDeviceFacts::fromInput(input);
    if (!facts || find(facts->identifier))
        return;
    auto service =
        std::make_shared<SwayServiceClient>(weak_from_this(), *facts, m_nextRegistryID++);
    if (!service->writable())
        logLine(kLogPrefix + QStringLiteral("Sway device \"") + facts->identifier +
                QStringLiteral("\" is listed but never written: no Sway command can name it "
                               "exactly"));
    const JournalDevice* kept = m_journal.find(identity(*facts));
    if (kept && adoptJournal) {
        SwaySettings originals = service->firstSeen();
        SwayWritten written;
        for (const JournalProperty& property : kept->properties) {
            const bool wrote = property.writtenState == JournalWritten::Value;
            if (property.name == kSpeed) {
                originals.speed = journalDouble(property.bytes);
                if (wrote)
                    written.speed = journalDouble(property.written);
            } else {
                originals.flat = journalBool(property.bytes);
                if (wrote)
                    written.flat = journalBool(property.written);
            }
        }
        service->adoptOriginals(originals, written);
    } else if (kept) {
        m_journal.forget(identity(*facts));
    }
    m_services.push_back(service);
    announce(service);
}

void SwaySession::remove(const QString& identifier)
{
    const auto found = std::find_if(m_services.begin(), m_services.end(), [&](const auto& s) {
        return s->facts().identifier == identifier;
    });
    if (found == m_services.end())
        return;
    const auto service = *found;
    m_services.erase(found);
    service->leave();
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
            service->hold(facts->current);
    }
}

std::vector<std::shared_ptr<ListedService>> SwaySession::listedServices() const
{
    return {m_services.begin(), m_services.end()};
}

void SwaySession::journalDevice(const SwayServiceClient& service)
{
    JournalDevice device = identity(service.facts());
    device.properties = {
        journalProperty(kSpeed, service.firstSeen().speed, service.written().speed),
        journalProperty(kFlat, service.firstSeen().flat, service.written().flat)};
    m_journal.record(std::move(device), m_bootMark);
}

void SwaySession::forgetDevice(const SwayServiceClient& service)
{
    if (m_journal.find(identity(service.facts())))
        m_journal.forget(identity(service.facts()));
}

std::size_t SwaySession::restoreUnlisted()
{
    const auto unlisted = std::count_if(
        m_journal.devices().begin(), m_journal.devices().end(), [this](const JournalDevice& entry) {
            return std::none_of(m_services.begin(), m_services.end(), [&](const auto& service) {
                return identity(service->facts()).sameDevice(entry);
            });
        });
    if (unlisted > 0)
        logLine(kLogPrefix + QString::number(unlisted) +
                QStringLiteral(" devices are not listed by Sway; their originals stay in ") +
                m_journal.path() + QStringLiteral(" and go back when they are seen again"));
    return static_cast<std::size_t>(unlisted);
}

QDeadlineTimer SwaySession::restoreDeadline()
{
    if (!m_restoreDeadline)
        m_restoreDeadline = QDeadlineTimer(m_restoreLimit);
    return *m_restoreDeadline;
}

bool SwaySession::waitUntil(const std::function<bool()>& done, QDeadlineTimer deadline)
{
    if (done() || deadline.hasExpired())
        return done();
    // Only at quit or for --restore, when nothing else is left to serve.
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    const auto check = [&] {
        if (done())
            loop.quit();
    };
    connect(&m_connection, &SwayConnection::replied, &loop, check);
    connect(&m_connection, &SwayConnection::connected, &loop, check);
    connect(&m_connection, &SwayConnection::lost, &loop, &QEventLoop::quit);
    timer.start(static_cast<int>(deadline.remainingTime()));
    loop.exec();
    return done();
}

void SwaySession::prepareRestore()
{
    const auto self = shared_from_this();
    // A connection still being made counts as a listing on its way.
    waitUntil([this] { return swayPresent() && m_listingsOnTheirWay == 0; }, restoreDeadline());
}

} // namespace veloquill::sway
