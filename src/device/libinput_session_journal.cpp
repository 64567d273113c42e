// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/libinput_session_journal.h"

#include "support/log.h"

#include <QEventLoop>
#include <QTimer>

namespace veloquill::libinput {

SessionJournal::SessionJournal(const QString& directory, JournalNames names,
                               std::chrono::milliseconds restoreLimit)
    : m_names(std::move(names)),
      m_journal(directory, {m_names.scope, m_names.logPrefix, QStringLiteral("boot")}),
      m_bootMark(bootMark()), m_restoreLimit(restoreLimit)
{}

void SessionJournal::load()
{
    m_journal.load(m_bootMark, [this](const JournalDevice& entry, const JournalProperty& property) {
        return fault(entry, property);
    });
}

QString SessionJournal::fault(const JournalDevice& entry, const JournalProperty& property) const
{
    if (!entry.vendorProduct)
        return m_names.noVendorProduct;
    const bool speed = property.name == m_names.speed;
    const bool profile = property.name == m_names.flat || property.name == m_names.adaptive;
    const int size = speed ? sizeof(double) : 1;
    const bool wellFormed =
        (speed || profile) &&
        property.type == (speed ? QStringLiteral("d") : QStringLiteral("b")) &&
        property.count == size && property.bytes.size() == size &&
        property.writtenState != JournalWritten::Unknown &&
        (property.writtenState == JournalWritten::Never || property.written.size() == size);
    if (!wellFormed)
        return QStringLiteral("not as this program writes it");
    const auto inRange = [](const QByteArray& bytes) {
        const double value = journalDouble(bytes);
        return value >= kMinSpeed && value <= kMaxSpeed;
    };
    if (speed && (!inRange(property.bytes) ||
                  (property.writtenState == JournalWritten::Value && !inRange(property.written))))
        return QStringLiteral("a speed outside −1…1");
    return {};
}

void SessionJournal::record(JournalDevice identity, const DeviceModel& model)
{
    const Settings& first = model.firstSeen();
    const Values& written = model.written();
    identity.properties = {
        journalProperty(m_names.speed, first.speed, written.speed),
        journalProperty(m_names.flat, first.profile == Profile::Flat, written.flat)};
    if (m_names.adaptive)
        identity.properties.push_back(
            journalProperty(*m_names.adaptive, first.profile == Profile::Adaptive,
                            written.flat ? std::optional(!*written.flat) : std::nullopt));
    m_journal.record(std::move(identity), m_bootMark);
}

void SessionJournal::move(const JournalDevice& from, JournalDevice to)
{
    to.properties = from.properties;
    m_journal.forget(from);
    m_journal.record(std::move(to), m_bootMark);
}

std::pair<Settings, Values> SessionJournal::decode(const JournalDevice& entry,
                                                   Settings current) const
{
    bool flat = current.profile == Profile::Flat;
    bool adaptive = current.profile == Profile::Adaptive;
    Values written;
    for (const JournalProperty& property : entry.properties) {
        const bool wrote = property.writtenState == JournalWritten::Value;
        if (property.name == m_names.speed) {
            current.speed = journalDouble(property.bytes);
            if (wrote)
                written.speed = journalDouble(property.written);
        } else if (property.name == m_names.flat) {
            flat = journalBool(property.bytes);
            if (wrote)
                written.flat = journalBool(property.written);
        } else {
            adaptive = journalBool(property.bytes);
        }
    }
    // A desktop that names only the flat switch has the adaptive profile whenever it is off.
    current.profile = profileOf(flat, m_names.adaptive ? adaptive : !flat);
    return {current, written};
}

QStringList SessionJournal::keptByOthers(const RestorePlan& plan, const Values& written) const
{
    QStringList kept;
    if (plan.speedKept)
        kept.append(m_names.keptSpeed.value_or(m_names.speed));
    if (plan.profileKept)
        kept.append(m_names.keptProfile            ? *m_names.keptProfile
                    : written.flat.value_or(false) ? m_names.flat
                                                   : *m_names.adaptive);
    return kept;
}

QDeadlineTimer SessionJournal::restoreDeadline()
{
    if (!m_restoreDeadline)
        m_restoreDeadline = QDeadlineTimer(m_restoreLimit);
    return *m_restoreDeadline;
}

bool SessionJournal::waitUntil(const std::function<bool()>& done, QDeadlineTimer deadline)
{
    if (done() || deadline.hasExpired())
        return done();
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &SessionJournal::answerArrived, &loop, [&] {
        if (done())
            loop.quit();
    });
    connect(this, &SessionJournal::connectionEnded, &loop, &QEventLoop::quit);
    timer.start(static_cast<int>(deadline.remainingTime()));
    loop.exec();
    return done();
}

RestoreOutcome SessionJournal::finishRestore(const RestoreWrites& restore, DeviceModel& model,
                                             const JournalDevice& identity, const QString& device)
{
    if (!waitUntil([&restore] { return restore.onTheirWay == 0; }, restoreDeadline())) {
        logLine(m_names.logPrefix + QStringLiteral("no answer from ") + m_names.desktop +
                QStringLiteral(" in time to the restore of ") + device);
        return RestoreOutcome::Unconfirmed;
    }
    if (!restore.keptByOthers.isEmpty())
        logLine(m_names.logPrefix + device +
                QStringLiteral(" keeps what another program set since: ") +
                restore.keptByOthers.join(QStringLiteral(", ")));
    if (!restore.refusal.isEmpty())
        logLine(m_names.logPrefix + m_names.desktop + QStringLiteral(" refused the restore ") +
                restore.refusal);
    if (restore.refused)
        return RestoreOutcome::Refused;
    if (restore.unanswered)
        return RestoreOutcome::Unreachable;
    model.restored();
    forget(identity);
    return RestoreOutcome::Restored;
}

} // namespace veloquill::libinput
