// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/hid_service_client_ops.h"

#include "device/hid_keys.h"
#include "support/log.h"

#include <QStringList>

#include <algorithm>

namespace veloquill {

std::optional<QString> readText(const HidServiceClient& client, const QString& key)
{
    return client.copyProperty(key).toText();
}

std::optional<std::int64_t> readInteger(const HidServiceClient& client, const QString& key)
{
    return client.copyProperty(key).toInteger();
}

std::optional<std::int32_t> readInt32(const HidServiceClient& client, const QString& key)
{
    return client.copyProperty(key).toInt32();
}

namespace {
bool fitsUsage(std::int64_t value)
{
    return value >= 0 && value <= UINT32_MAX;
}

bool dictionaryMatches(const HidMatchingDictionary& dictionary, const HidServiceClient& service)
{
    for (const auto& [key, value] : dictionary) {
        if ((key != HidKey::DeviceUsagePage && key != HidKey::DeviceUsage) || !fitsUsage(value))
            return false;
    }
    const auto page = static_cast<std::uint32_t>(
        dictionary.count(HidKey::DeviceUsagePage) ? dictionary.at(HidKey::DeviceUsagePage) : 1);
    if (dictionary.count(HidKey::DeviceUsage))
        return service.conformsTo(page,
                                  static_cast<std::uint32_t>(dictionary.at(HidKey::DeviceUsage)));
    return service.conformsTo(page, 1) || service.conformsTo(page, 2);
}
} // namespace

bool matchesAny(const std::optional<std::vector<HidMatchingDictionary>>& matching,
                const HidServiceClient& service)
{
    if (!matching)
        return true;
    return std::any_of(matching->begin(), matching->end(), [&](const HidMatchingDictionary& d) {
        return dictionaryMatches(d, service);
    });
}

bool isPointerOrMouseUsage(std::uint32_t usagePage, std::uint32_t usage)
{
    constexpr std::uint32_t genericDesktopPage = 1, pointerUsage = 1, mouseUsage = 2;
    return usagePage == genericDesktopPage && (usage == pointerUsage || usage == mouseUsage);
}

void logIgnoredWrite(const QString& prefix, const HidServiceClient& service, const QString& key,
                     const HidPropertyValue& value, const QString& why)
{
    logLine(prefix + QStringLiteral("ignoring ") + key + QStringLiteral(" = ") + value.describe() +
            QStringLiteral(" for ") + service.describe() + QStringLiteral(": ") + why);
}

} // namespace veloquill
