// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// One KWin input device (a pointer with acceleration settings), its libinput settings read and
// written over D-Bus (docs/kwin-backend.md). One object per device for as long as KWin lists
// it; a device that leaves and comes back, or that a restarted KWin lists again, is a new one.

#include "device/libinput_service.h"
#include "device/libinput_session_journal.h"
#include "device/paced_writes.h"

#include <QVariant>

#include <cstdint>
#include <memory>
#include <optional>

namespace veloquill::kwin {

class KWinSession;

// What a device is, read once when it appears.
struct KWinDeviceFacts
{
    QString sysName;
    LibinputIdentity identity;
    bool supportsFlat = false;
    bool supportsAdaptive = false;
    // Its settings on arrival; where KWin does not say, its defaults.
    libinput::Settings current;
    // What KWin reports as its defaults on arrival.
    libinput::Values defaults;

    // A pointer whose acceleration can be set; nothing for any other device.
    static std::optional<KWinDeviceFacts> fromProperties(const QString& sysName,
                                                         const QVariantMap& properties);
};

class KWinServiceClient : public LibinputService
{
public:
    KWinServiceClient(std::weak_ptr<KWinSession> session, KWinDeviceFacts facts,
                      std::uint64_t registryID);

    // Asks KWin what the device holds, puts back each setting that still holds what this
    // program last wrote (one line names those another program changed since), and waits for
    // KWin's answers until the session's restore deadline. Restored: the journal entry goes.
    HidRestoreOutcome restoreFirstSeen() override;
    QString describe() const override;
    QString listedName() const override { return m_facts.sysName; }
    JournalDevice journalIdentity() const;

    const KWinDeviceFacts& facts() const { return m_facts; }
    libinput::DeviceModel& model() { return m_model; }
    // Asks what the device holds, then sends the writes that put it back, replacing those held
    // back.
    void sendRestore();

protected:
    LibinputIdentity identity() const override { return m_facts.identity; }
    bool reachable() const override { return presentSession() != nullptr; }
    // What KWin last said the device holds (on arrival, on taking a write, on being asked
    // again); each read also asks KWin again, and a changed answer is taken in.
    libinput::Values current() const override;
    libinput::Values defaults() const override { return m_facts.defaults; }
    // Each write sent records, beforehand, the device's originals and the value written in the
    // session's journal; a write KWin refuses is taken back from that record.
    QString writeSpeed(std::optional<double> speed) override;
    QString writeProfile(std::optional<bool> flat) override;

private:
    std::shared_ptr<KWinSession> presentSession() const;
    std::shared_ptr<KWinServiceClient> self();
    void send(const libinput::Values& value);
    void restoreFrom(const QVariantMap& properties,
                     const std::shared_ptr<libinput::RestoreWrites>& restore);
    void refresh() const;

    std::weak_ptr<KWinSession> m_session;
    KWinDeviceFacts m_facts;
    libinput::DeviceModel m_model;
    libinput::PacedWrites m_writes;
    std::uint64_t m_writesSent = 0;
    mutable bool m_refreshing = false;
    std::shared_ptr<libinput::RestoreWrites> m_restore;
};

} // namespace veloquill::kwin
