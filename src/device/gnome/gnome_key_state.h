// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What this program did to one of GNOME's pointer settings, and how that is kept in the
// crash journal: one journal entry per schema, one property per key.

#include "device/gnome/gnome_settings_keys.h"
#include "device/restore_journal.h"

#include <QVariant>

#include <cstdint>
#include <map>
#include <optional>

namespace veloquill::gnome {

// A key this program has written and that still holds what it wrote.
struct KeyState
{
    // The user's own value before the first write; nothing when the key held its default, which
    // it is reset to rather than given the default as a value of the user's.
    std::optional<QVariant> original;
    QVariant written;
    // The service that wrote it last; 0 for a write of an earlier run.
    std::uint64_t owner = 0;
};

using KeyStates = std::map<SettingKey, KeyState>;

// Whether two values of a key are the same (a double read back from a text backend may differ
// in its last bit).
bool sameValue(const QVariant& a, const QVariant& b);

// The journal's entries for the keys, one per schema with written keys.
std::vector<JournalDevice> journalEntries(const KeyStates& states);
// Why a property of an entry is none this backend writes; empty when it is one.
QString journalFault(const JournalDevice& entry, const JournalProperty& property);
// The key states an entry this backend wrote holds (owner 0).
KeyStates fromJournal(const JournalDevice& entry);

} // namespace veloquill::gnome
