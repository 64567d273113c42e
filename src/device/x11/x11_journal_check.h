// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A journal is input like any other: before its values are used, each entry is held against
// what the X server could have given the backend.

#include "device/restore_journal.h"
#include "device/x11/x11_atoms.h"

#include <QString>

namespace veloquill::x11 {

class X11DeviceProperties;

// Why the backend would never have journalled the property as it stands, or empty: a
// property it does not write, a value the server never holds (a matrix that is not finite and
// invertible, a speed out of range, …), or, when the device is present (`device`), a type,
// format or item count other than its property has now.
QString journalPropertyFault(const JournalProperty& property, const X11Atoms& atoms,
                             _XDisplay* display, const X11DeviceProperties* device);

} // namespace veloquill::x11
