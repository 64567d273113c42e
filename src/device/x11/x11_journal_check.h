// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A journal is input like any other: before its values are used, its server is identified
// and each entry is held against what the X server could have given the backend.
//
// Which X server a journal was written on. A server that has ended took its devices with it,
// and a new one may give other devices the same ids and names, so a journal names its server:
// by an id on the root window (_VELOQUILL_SERVER, which any client could delete) and, for a
// local server, by its process as the system knows it (boot, pid and start time), which no
// client can change.

#include "device/restore_journal.h"
#include "device/x11/x11_properties.h"

#include <QString>

namespace veloquill::x11 {

class X11Connection;
class X11DeviceProperties;

// "<boot id>/<pid>/<start time>" of the server process at the other end of a local
// connection; empty when the system cannot say (a remote server, one in another namespace).
QString serverProcessMark(X11Connection& connection);

// The mark a journal written now carries: the root window's id, put there when missing
// (`wanted`'s id if it has one, else the id found, else a new one), and the process mark.
QString claimServerMark(X11Connection& connection, const QString& wanted,
                        const QString& processMark);

// What a journal's mark says of the server `connection` reaches, whose process mark is
// `processMark`. The same server: its id is on the root window, or the id is gone (another
// client deleted it) and the process is the same. Ended: another boot, or, where the system
// shows the server's process, that process is gone. Anything else is in doubt.
JournalServer compareServerMark(X11Connection& connection, const QString& journalMark,
                                const QString& processMark);

// Why the backend would never have journalled the property as it stands, or empty: a
// property it does not write, a value the server never holds (a matrix that is not finite and
// invertible, a speed out of range, …), or, when the device is present (`device`), a type,
// format or item count other than its property has now.
QString journalPropertyFault(const JournalProperty& property, const X11Atoms& atoms,
                             _XDisplay* display, const X11DeviceProperties* device);

} // namespace veloquill::x11
