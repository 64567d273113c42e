// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// One KWin input device (a pointer with acceleration settings) as a HID service, its HID keys
// translated to and from KWin's properties (docs/kwin-backend.md). One object per device
// for as long as KWin lists it; a device that leaves and comes back, or that a restarted
// KWin lists again, is a new one.

#include "device/hid_event_system.h"
#include "device/service_directory.h"
#include "device/service_removal.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>

namespace veloquill::kwin {

class KWinSession;

// The settings the backend may write, as KWin held them.
struct KWinPointerSettings
{
    double speed = 0;
    bool flat = false;
    bool adaptive = true;
    friend bool operator==(const KWinPointerSettings&, const KWinPointerSettings&) = default;
};

// What this program last wrote to a device's settings; nothing for a setting never written.
struct KWinWritten
{
    std::optional<double> speed;
    std::optional<bool> flat; // the profile written: flat, or adaptive
    friend bool operator==(const KWinWritten&, const KWinWritten&) = default;
};

// What a device is, read once when it appears.
struct KWinDeviceFacts
{
    QString sysName;
    QString name;
    std::uint32_t vendor = 0;
    std::uint32_t product = 0;
    std::optional<QString> serialNumber;
    bool supportsFlat = false;
    bool supportsAdaptive = false;
    // Its settings on arrival; where KWin does not say, its defaults.
    KWinPointerSettings current;
    // What KWin reports as its defaults on arrival; nothing where it does not say.
    std::optional<double> defaultSpeed;
    std::optional<bool> defaultFlat;

    // A pointer whose acceleration can be set; nothing for any other device.
    static std::optional<KWinDeviceFacts> fromProperties(const QString& sysName,
                                                         const QVariantMap& properties);
};

class KWinServiceClient : public ListedService,
                          public std::enable_shared_from_this<KWinServiceClient>
{
public:
    KWinServiceClient(std::weak_ptr<KWinSession> session, KWinDeviceFacts facts,
                      std::uint64_t registryID);

    // Identity keys come from what was read on arrival and still answer once it has left.
    // Settings come from what KWin last said it holds (on arrival, on taking a write, on
    // being asked again); each read also asks KWin again, and a changed answer is reported
    // as a property change.
    HidPropertyValue copyProperty(const QString& key) const override;
    // Each write sent records, beforehand, the device's originals and the value written in the
    // session's journal; a write KWin refuses is taken back from that record.
    void setProperty(const QString& key, const HidPropertyValue& value) override;
    // Asks KWin what the device holds, puts back each setting that still holds what this
    // program last wrote (one line names those another program changed since), and waits for
    // KWin's answers until the session's restore deadline. Restored: the journal entry goes.
    HidRestoreOutcome restoreFirstSeen() override;
    // Every listed device is a generic desktop pointer (1/1) and mouse (1/2).
    bool conformsTo(std::uint32_t usagePage, std::uint32_t usage) const override;
    HidRegistration registerRemovalCallback(HidServiceCallback callback) override;
    // KWin gives no raw input.
    QString describe() const override;
    // libinput's profiles at the speed written.
    std::optional<PointerCurveModel> curveModel() const override
    {
        return PointerCurveModel{PointerCurveModel::Kind::Libinput};
    }

    std::uint64_t registryID() const override { return m_registryID; }
    const KWinDeviceFacts& facts() const { return m_facts; }
    const KWinPointerSettings& firstSeen() const { return m_firstSeen; }
    const KWinWritten& written() const { return m_written; }

    // Used by the session, on the main loop. Originals an earlier run (or this one, before the
    // device or KWin went) recorded before it changed the device count as first seen, and the
    // device as changed.
    void adoptOriginals(const KWinPointerSettings& originals, const KWinWritten& written);
    void leave();
    // Asks what the device holds, then sends the writes that put it back, replacing those held
    // back.
    void sendRestore();

private:
    std::shared_ptr<KWinSession> presentSession() const;
    void writeResolution(KWinSession& session, const HidPropertyValue& value);
    void writeProfile(KWinSession& session, bool flat, const HidPropertyValue& value,
                      const QString& key);
    // A slider drag writes faster than KWin may answer: one write per setting is on its way
    // at a time, and of those asked for meanwhile only the last is sent, once it is answered.
    enum class Setting
    {
        Speed,
        Profile
    };
    void write(KWinSession& session, Setting setting, const QString& property,
               const QVariant& value);
    void send(KWinSession& session, Setting setting, const QString& property,
              const QVariant& value);
    void answered(Setting setting, const QString& property, const QVariant& value, bool taken);
    // What KWin now holds after taking the value.
    void took(const QString& property, const QVariant& value);
    struct RestoreWrites;
    void restoreFrom(const QVariantMap& properties, const std::shared_ptr<RestoreWrites>& restore);
    // The defaults KWin reported on arrival, in the layer's units.
    HidPropertyValue readDefault(const QString& key) const;
    void refresh() const;
    void refreshed(const QVariantMap& properties, std::uint64_t writesSent);

    std::weak_ptr<KWinSession> m_session;
    KWinDeviceFacts m_facts;
    std::uint64_t m_registryID;
    KWinPointerSettings m_firstSeen;
    // What KWin last said the device holds.
    KWinPointerSettings m_held;
    KWinWritten m_written;
    bool m_changed = false;
    struct PendingWrites
    {
        int onTheirWay = 0;
        std::optional<std::pair<QString, QVariant>> waiting; // property and value
    };
    std::map<Setting, PendingWrites> m_pending;
    std::uint64_t m_writesSent = 0;
    mutable bool m_refreshing = false;
    // The restore's calls on their way and what became of those answered.
    struct RestoreWrites
    {
        int onTheirWay = 0;
        bool refused = false;
        bool unanswered = false;
        QStringList keptByOthers;
    };
    std::shared_ptr<RestoreWrites> m_restore;
    ServiceRemoval m_removal;
};

} // namespace veloquill::kwin
