// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "views/about_view.h"

namespace veloquill {

// The version, desktops, licence and addresses this build was made with.
AboutFacts aboutFacts();

// Shows the one About window: made on demand, brought forward unchanged while open, forgotten
// when closed.
void bringAboutWindowToFront();

} // namespace veloquill
