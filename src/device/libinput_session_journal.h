// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The crash journal and the bounded restore at quit of a desktop that keeps libinput settings
// per device (KWin, Sway): each changed device's first-seen values and what this program last
// wrote, on record before each write, and a wait for the desktop's answers to the restore that
// ends at one deadline for the whole session. The backend names the device and carries the
// writes; how an entry is encoded, checked and read back is this one.

#include "device/libinput_device_model.h"
#include "device/pointer_backend.h"
#include "device/restore_journal.h"
#include "support/log.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace veloquill::libinput {

// How a desktop's settings are named in its journal and in its log lines.
struct JournalNames
{
    QString scope;     // names the journal's file ("kwin")
    QString logPrefix; // "KWinHidEventSystem: "
    QString desktop;   // "KWin"
    QString speed;
    QString flat;
    std::optional<QString> adaptive; // where the desktop reports the adaptive profile apart
    // The settings named when another program changed them since this program wrote them;
    // nothing: the property's own name.
    std::optional<QString> keptSpeed = std::nullopt;
    std::optional<QString> keptProfile = std::nullopt;
    // Why an entry without vendor and product is none this backend writes.
    QString noVendorProduct;
};

// The restore of one device: its writes on their way and what became of those answered. Shared
// with the answers, which may come after the wait gave up.
struct RestoreWrites
{
    int onTheirWay = 0;
    bool refused = false;
    bool unanswered = false;
    QString refusal; // what the desktop said, when it says more than its transport logged
    QStringList keptByOthers;
};

class SessionJournal : public QObject
{
    Q_OBJECT

public:
    // Originals are journaled in `directory` (empty: $XDG_RUNTIME_DIR).
    SessionJournal(const QString& directory, JournalNames names,
                   std::chrono::milliseconds restoreLimit);

    // Takes in what an earlier run of this boot left, checked entry by entry.
    void load();
    const RestoreJournal& journal() const { return m_journal; }
    // The device's first-seen values and what was last written to it, under `identity`.
    void record(JournalDevice identity, const DeviceModel& model);
    // Its values are back: its entry goes.
    void forget(const JournalDevice& identity) { m_journal.forget(identity); }
    // Moves an entry to another identity (the device came back under another node).
    void move(const JournalDevice& from, JournalDevice to);
    // The originals and written values an entry holds, over what the device holds now.
    std::pair<Settings, Values> decode(const JournalDevice& entry, Settings current) const;
    // The entries none of the listed services names keep their originals until the device is
    // seen again, said in one line, `why` with %1 the count and %2 the journal's path; how many.
    template <class Service>
    std::size_t keepUnlisted(const std::vector<std::shared_ptr<Service>>& services,
                             const QString& why) const
    {
        const auto unlisted = static_cast<std::size_t>(std::count_if(
            m_journal.devices().begin(), m_journal.devices().end(),
            [&](const JournalDevice& entry) {
                return std::none_of(services.begin(), services.end(), [&](const auto& service) {
                    return service->journalIdentity().sameDevice(entry);
                });
            }));
        if (unlisted > 0)
            logLine(m_names.logPrefix + why.arg(QString::number(unlisted), m_journal.path()));
        return unlisted;
    }
    void forgetAll() { m_journal.remove(); }
    QStringList notPutBack() const { return m_journal.notPutBack(); }

    // The settings the plan leaves to another program, by the desktop's names.
    QStringList keptByOthers(const RestorePlan& plan, const Values& written) const;
    // When the restore stops waiting for the desktop: the limit after the first wait.
    QDeadlineTimer restoreDeadline();
    // Runs a local loop until `done` holds, the desktop's connection ends or the deadline
    // passes; returns `done()`. Only at quit or for --restore, when nothing else is left to
    // serve.
    bool waitUntil(const std::function<bool()>& done, QDeadlineTimer deadline);
    // Waits for the restore's answers and says how it went; on Restored the device's entry goes
    // and the model holds nothing written.
    RestoreOutcome finishRestore(const RestoreWrites& restore, DeviceModel& model,
                                 const JournalDevice& identity, const QString& device);

Q_SIGNALS:
    // The transport tells of an answer, or of its connection ending.
    void answerArrived();
    void connectionEnded();

private:
    QString fault(const JournalDevice& entry, const JournalProperty& property) const;

    JournalNames m_names;
    RestoreJournal m_journal;
    QString m_bootMark;
    std::chrono::milliseconds m_restoreLimit;
    std::optional<QDeadlineTimer> m_restoreDeadline;
};

} // namespace veloquill::libinput
