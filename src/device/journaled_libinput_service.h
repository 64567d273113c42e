// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A device of a desktop that keeps libinput settings per device and answers each write later
// (KWin, Sway): its model, its writes paced and journaled before they are sent, the answers
// taken in, and the restore at quit waited for within the session's deadline. The backend
// carries the writes over its transport and says what became of each.

#include "device/libinput_device_model.h"
#include "device/libinput_service.h"
#include "device/libinput_session_journal.h"
#include "device/paced_writes.h"
#include "support/log.h"

#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace veloquill::libinput {

// A desktop that keeps a device's settings under its vendor, product and name has the journal
// name it so, and by its node where the desktop names one.
inline JournalDevice journalIdentity(const LibinputIdentity& identity, const QString& node = {})
{
    return {0, identity.name, {}, JournalVendorProduct{identity.vendor, identity.product}, node};
}

// `Session` has `reachable()` and `journal()`; `Facts` the device's `identity` and its settings
// when it appeared (`current`), and an `identityOf(Facts)` names its journal entry.
template <class Session, class Facts> class JournaledLibinputService : public LibinputService
{
public:
    // Puts back each setting that still holds this program's last write (one line names those
    // another program changed since), waiting for the answers until the session's restore
    // deadline. Restored: the journal entry goes.
    RestoreOutcome restoreFirstSeen() override
    {
        const auto session = m_session.lock();
        if (!session || !session->reachable())
            return RestoreOutcome::Unreachable;
        if (!m_model.changed() || !acceptsWrites())
            return RestoreOutcome::Untouched;
        // The restore comes after every write on its way and replaces those held back.
        m_writes.dropWaiting();
        const auto restore = restoreWrites();
        return session->journal().finishRestore(*restore, m_model, journalIdentity(), describe());
    }
    JournalDevice journalIdentity() const { return identityOf(m_facts); }
    const Facts& facts() const { return m_facts; }
    DeviceModel& model() { return m_model; }

protected:
    JournaledLibinputService(std::weak_ptr<Session> session, Facts facts, std::uint64_t registryID,
                             QString logPrefix, QString desktop, double speedTolerance)
        : LibinputService(registryID, logPrefix), m_session(std::move(session)),
          m_facts(std::move(facts)), m_model(m_facts.current, speedTolerance),
          m_writes([this](const Values& write) { send(write); }),
          m_refusedBy(logPrefix + desktop + QStringLiteral(" refused "))
    {}

    LibinputIdentity identity() const override { return m_facts.identity; }
    bool reachable() const override { return presentSession() != nullptr; }
    // Nothing puts a setting back as first seen.
    QString writeSpeed(std::optional<double> speed) override
    {
        m_writes.write({speed.value_or(m_model.firstSeen().speed), std::nullopt});
        return {};
    }
    QString writeProfile(std::optional<bool> flat) override
    {
        m_writes.write({std::nullopt, flat.value_or(m_model.firstSeen().profile == Profile::Flat)});
        return {};
    }

    // What became of a write, and what the desktop said when it refused one and its transport
    // has not logged that already.
    using Answered = std::function<void(WriteAnswer, const QString& refusal)>;
    // Carries one write (one setting) to the desktop.
    virtual void transmit(Session& session, const Values& write, Answered answered) = 0;
    // The writes that put the device back, sent, with their answers still to come.
    virtual std::shared_ptr<RestoreWrites> restoreWrites()
    {
        const auto restore = std::make_shared<RestoreWrites>();
        sendRestoreWrites(*presentSession(), m_model.planRestore(), restore);
        return restore;
    }

    std::shared_ptr<Session> presentSession() const
    {
        auto session = m_session.lock();
        return session && !hasLeft() && session->reachable() ? session : nullptr;
    }
    template <class Derived = JournaledLibinputService> std::weak_ptr<Derived> weakSelf()
    {
        return std::static_pointer_cast<Derived>(shared_from_this());
    }
    // Sends the writes of the plan, counting their answers on `restore`.
    void sendRestoreWrites(Session& session, const RestorePlan& plan,
                           const std::shared_ptr<RestoreWrites>& restore)
    {
        restore->keptByOthers = session.journal().keptByOthers(plan, m_model.written());
        for (const Values& write : eachSetting(plan.writes)) {
            ++restore->onTheirWay;
            transmit(session, write,
                     [weakSelf = weakSelf(), restore, write](WriteAnswer answer,
                                                             const QString& refusal) {
                         --restore->onTheirWay;
                         if (!refusal.isEmpty() && !restore->refused)
                             restore->refusal = refusal;
                         restore->refused |= answer == WriteAnswer::Refused;
                         restore->unanswered |= answer == WriteAnswer::Unanswered;
                         const auto self = weakSelf.lock();
                         if (self && answer == WriteAnswer::Taken)
                             self->m_model.took(write);
                     });
        }
    }

    std::weak_ptr<Session> m_session;
    Facts m_facts;
    DeviceModel m_model;
    PacedWrites m_writes;

private:
    // On record before it is sent: after a crash the device may hold it. A write the desktop
    // refused is taken back from the record; the next one held back goes.
    void send(const Values& write)
    {
        const auto session = presentSession();
        const Values before = m_model.written();
        if (m_model.recordWrite(write))
            session->journal().record(journalIdentity(), m_model);
        transmit(
            *session, write,
            [weakSelf = weakSelf(), write, before](WriteAnswer answer, const QString& refusal) {
                const auto self = weakSelf.lock();
                if (!self)
                    return;
                if (!refusal.isEmpty())
                    logLine(self->m_refusedBy + refusal);
                const auto session = self->m_session.lock();
                if (session && answer == WriteAnswer::Refused) {
                    self->m_model.refused(write, before);
                    session->journal().record(self->journalIdentity(), self->m_model);
                }
                if (answer == WriteAnswer::Taken)
                    self->m_model.took(write);
                self->m_writes.answered(write, self->acceptsWrites());
            });
    }

    QString m_refusedBy;
};

} // namespace veloquill::libinput
