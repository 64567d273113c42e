// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Putting every device back the way it was found, at quit.
#include "device/pointer_device_manager.h"

#include "support/log.h"

#include <map>

namespace veloquill {

namespace {
QString failureReason(RestoreOutcome outcome)
{
    switch (outcome) {
    case RestoreOutcome::Refused:
        return QStringLiteral("their event system refused the writes.");
    case RestoreOutcome::Unconfirmed:
        return QStringLiteral("their event system did not confirm the writes in time.");
    default:
        return QStringLiteral("the connection to their event system is gone.");
    }
}
} // namespace

bool PointerDeviceManager::restoreInitialPointerSettings()
{
    // Named before the restore's writes: after them a backend may have to ask its desktop again
    // for every name (X11: the writes' property events are not yet handled).
    std::map<const PointerDevice*, QString> labels;
    for (const PointerDeviceRef& device : m_mappedDevices)
        labels.emplace(device.get(), device->name());
    m_eventSystem->prepareRestore();
    // Every service present, also a twin the published list shows under its sibling.
    logLine(QStringLiteral("[PointerDeviceManager] Attempting to restore initial pointer settings "
                           "for ") +
            QString::number(m_mappedDevices.size()) + QStringLiteral(" devices."));
    std::map<RestoreOutcome, std::size_t> failures;
    for (const PointerDeviceRef& device : m_mappedDevices) {
        const auto known = labels.find(device.get());
        const QString label = known != labels.end() ? known->second : device->name();
        const RestoreOutcome outcome = device->client()->restoreFirstSeen();
        switch (outcome) {
        case RestoreOutcome::Restored:
            logLine(QStringLiteral("[PointerDeviceManager] Restored initial pointer resolution and "
                                   "acceleration for device ") +
                    label);
            break;
        case RestoreOutcome::Untouched:
            logLine(QStringLiteral("[PointerDeviceManager] Nothing to restore for device ") +
                    label + QStringLiteral(": never changed"));
            break;
        case RestoreOutcome::Unreachable:
        case RestoreOutcome::Refused:
        case RestoreOutcome::Unconfirmed:
            ++failures[outcome];
            break;
        }
    }
    const std::size_t unlisted = m_eventSystem->restoreUnlisted();
    for (const auto& [outcome, count] : failures) {
        logLine(QStringLiteral("[PointerDeviceManager] Could not restore ") +
                QString::number(count) + QStringLiteral(" devices: ") + failureReason(outcome));
    }
    if (unlisted > 0)
        logLine(QStringLiteral("[PointerDeviceManager] Could not restore ") +
                QString::number(unlisted) +
                QStringLiteral(" devices that are not listed (the line above says why)."));
    // Everything still on record, or set aside when it was read, is named with where it is.
    m_notPutBack = m_eventSystem->notPutBack().join(QStringLiteral("; "));
    if (!m_notPutBack.isEmpty())
        logLine(QStringLiteral("[PointerDeviceManager] Not put back: ") + m_notPutBack);
    const bool restored = failures.empty() && unlisted == 0 && m_notPutBack.isEmpty();
    if (restored)
        m_eventSystem->forgetOriginals();
    logLine(QStringLiteral("[PointerDeviceManager] Cleared stored initial resolutions."));
    return restored;
}

} // namespace veloquill
