// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Transitional, for the keyed backends (KWin, GNOME, Sway); removed with keyed_backend_device.h.

#include "device/hid_event_system.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace veloquill {

// Typed reads of a service property: present only when the value converts exactly.
std::optional<QString> readText(const HidServiceClient& client, const QString& key);
std::optional<std::int64_t> readInteger(const HidServiceClient& client, const QString& key);
std::optional<std::int32_t> readInt32(const HidServiceClient& client, const QString& key);

// Whether the service matches one of the dictionaries (every service, when there are none
// yet). A dictionary matches when the service has the usage page and usage it names (a
// missing page means generic desktop, a missing usage pointer or mouse); a dictionary naming
// any other key matches nothing, as a backend matches on usages only.
bool matchesAny(const std::optional<std::vector<HidMatchingDictionary>>& matching,
                const HidServiceClient& service);

// One line for a write the backend will not make: "<prefix>ignoring <key> = <value> for
// <service>: <why>".
void logIgnoredWrite(const QString& prefix, const HidServiceClient& service, const QString& key,
                     const HidPropertyValue& value, const QString& why);

// A generic desktop pointer (1/1) or mouse (1/2): what every pointing device a backend lists
// conforms to.
bool isPointerOrMouseUsage(std::uint32_t usagePage, std::uint32_t usage);

} // namespace veloquill
