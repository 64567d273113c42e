// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

class QBoxLayout;
class QVBoxLayout;

namespace veloquill {

// Adds one group of a settings form to `form`: an optional header over a framed panel. Returns
// where the group's rows go, top to bottom.
QVBoxLayout* addFormSection(QBoxLayout* form, const QString& header = QString());

} // namespace veloquill
