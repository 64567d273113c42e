// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Transitional, for the KWin, GNOME and Sway backends until they serve BackendDevice directly;
// to be removed then.

#include "device/device_removal.h"
#include "device/keyed_backend_device.h"

namespace veloquill {

using ServiceRemoval = DeviceRemovalOf<KeyedBackendDevice>;

} // namespace veloquill
