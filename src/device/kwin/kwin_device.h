// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// One KWin input device (a pointer with acceleration settings), its libinput settings read and
// written over D-Bus (docs/kwin-backend.md). One object per device for as long as KWin lists
// it; a device that leaves and comes back, or that a restarted KWin lists again, is a new one.

#include "device/journaled_libinput_service.h"

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

// KWin keeps a device's settings under its vendor, product and name, and gives them back
// whenever a device so named appears, under whichever event node. The journal names the node
// too: identical devices are device objects of their own, each written and put back.
JournalDevice identityOf(const KWinDeviceFacts& facts);

class KWinDevice : public libinput::JournaledLibinputService<KWinSession, KWinDeviceFacts>
{
public:
    KWinDevice(std::weak_ptr<KWinSession> session, KWinDeviceFacts facts, std::uint64_t registryID);

    QString describe() const override { return describeAs(QStringLiteral("KWin")); }
    QString listedName() const override { return m_facts.sysName; }
    // Asks what the device holds, then sends the writes that put it back.
    void sendRestore();

protected:
    // What KWin last said the device holds (on arrival, on taking a write, on being asked
    // again); each read also asks KWin again, and a changed answer is taken in.
    libinput::Values current() const override;
    libinput::Values defaults() const override { return m_facts.defaults; }
    QString writeProfile(std::optional<bool> flat) override;
    void transmit(KWinSession& session, const libinput::Values& write, Answered answered) override;
    std::shared_ptr<libinput::RestoreWrites> restoreWrites() override;

private:
    std::uint64_t m_writesSent = 0;
    mutable bool m_refreshing = false;
    std::shared_ptr<libinput::RestoreWrites> m_restore;
};

} // namespace veloquill::kwin
