// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>

namespace veloquill {

// Writes all of bytes to fd, going on after a signal; false on any error.
bool writeAll(int fd, const QByteArray& bytes);

} // namespace veloquill
