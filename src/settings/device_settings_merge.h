// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "settings/defaults_store.h"

namespace veloquill {

// Merges two stored per-device tables record by record, against the one both started from:
// a record only the other writer added, changed or removed is taken in; where both changed
// one, mine is kept and replacedTheirs is set. A table of theirs that cannot be read as one,
// or holds a device twice, is replaced by mine (with replacedTheirs set) or, for the twice
// held device, read with its last record. A base that cannot be read counts as empty.
DataMerge mergeDeviceSettingsData(const std::optional<QByteArray>& base, const QByteArray& mine,
                                  const std::optional<QByteArray>& theirs);

} // namespace veloquill
