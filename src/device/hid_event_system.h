// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Transitional: the name the KWin, GNOME and Sway backends include. Remove with
// keyed_backend_device.h once they serve the typed interface (device/pointer_backend.h).

#include "device/keyed_backend_device.h"
