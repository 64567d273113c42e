// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The session of a desktop that keeps libinput settings per device (KWin, Sway): its services
// in the order they arrived, and its journal, whose entry a device takes up when it is listed.

#include "device/desktop_session.h"
#include "device/libinput_session_journal.h"

#include <chrono>
#include <cstdint>
#include <utility>

namespace veloquill {

template <class Service> class JournaledLibinputSession : public ListingSession<Service>
{
public:
    libinput::SessionJournal& journal() { return m_journal; }
    void forgetOriginals() override { m_journal.forgetAll(); }
    QStringList notPutBack() const override { return m_journal.notPutBack(); }

protected:
    // Originals are journaled in `directory` (empty: $XDG_RUNTIME_DIR).
    JournaledLibinputSession(const QString& directory, libinput::JournalNames names,
                             std::chrono::milliseconds restoreLimit)
        : m_journal(directory, std::move(names), restoreLimit)
    {}
    ~JournaledLibinputSession() = default;

    // The desktop keeps what this program set across its own restarts and the device's
    // unplugging: a device listed takes the originals journaled before the first change, and
    // the entry follows it to its node.
    void adoptJournaled(Service& service)
    {
        const JournalDevice identity = service.journalIdentity();
        const JournalDevice* kept = journalEntryFor(identity);
        if (!kept)
            return;
        const auto [originals, written] = m_journal.decode(*kept, service.facts().current);
        service.model().adopt(originals, written);
        if (kept->node != identity.node && !this->find(kept->node))
            m_journal.move(*kept, identity);
    }

    libinput::SessionJournal m_journal;
    int m_listingsOnTheirWay = 0;
    std::uint64_t m_nextRegistryID = 1;

private:
    // The entry under the device's node; else one of its vendor, product and name left under a
    // node no listed device has (plugged in again elsewhere, or an entry naming no node); else
    // a listed twin's, whose originals the desktop's settings for that vendor, product and name
    // gave it too (the twin's written values, this program's, are what it hands such a device
    // now).
    const JournalDevice* journalEntryFor(const JournalDevice& key) const
    {
        if (const JournalDevice* kept = m_journal.journal().find(key))
            return kept;
        const JournalDevice* twin = nullptr;
        for (const JournalDevice& entry : m_journal.journal().devices()) {
            JournalDevice elsewhere = key;
            elsewhere.node = entry.node;
            if (!entry.sameDevice(elsewhere))
                continue;
            if (!this->find(entry.node))
                return &entry;
            if (!twin)
                twin = &entry;
        }
        return twin;
    }
};

} // namespace veloquill
