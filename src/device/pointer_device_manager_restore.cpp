// Putting every device back the way it was found, at quit.
#include "device/pointer_device_manager.h"

#include "support/log.h"

namespace veloquill {

bool PointerDeviceManager::restoreInitialPointerSettings()
{
    // Every service present, also a twin the published list shows under its sibling.
    logLine(QStringLiteral("[PointerDeviceManager] Attempting to restore initial pointer settings "
                           "for ") +
            QString::number(m_mappedDevices.size()) + QStringLiteral(" devices."));
    std::size_t unreachable = 0;
    std::size_t refused = 0;
    for (const PointerDeviceRef& device : m_mappedDevices) {
        const QString label = device->name();
        switch (device->client()->restoreFirstSeen()) {
        case HidRestoreOutcome::Restored:
            logLine(QStringLiteral("[PointerDeviceManager] Restored initial pointer resolution and "
                                   "acceleration for device ") +
                    label);
            break;
        case HidRestoreOutcome::Untouched:
            logLine(QStringLiteral("[PointerDeviceManager] Nothing to restore for device ") +
                    label + QStringLiteral(": never changed"));
            break;
        case HidRestoreOutcome::Unreachable:
            ++unreachable;
            break;
        case HidRestoreOutcome::Refused:
            ++refused;
            break;
        }
    }
    refused += m_eventSystem->restoreUnlisted();
    if (unreachable > 0) {
        logLine(QStringLiteral("[PointerDeviceManager] Could not restore ") +
                QString::number(unreachable) +
                QStringLiteral(" devices: the connection to their event system is gone."));
    }
    if (refused > 0) {
        logLine(QStringLiteral("[PointerDeviceManager] Could not restore ") +
                QString::number(refused) +
                QStringLiteral(" devices: their event system refused the writes."));
    }
    if (unreachable == 0 && refused == 0)
        m_eventSystem->forgetOriginals();
    logLine(QStringLiteral("[PointerDeviceManager] Cleared stored initial resolutions."));
    return unreachable == 0 && refused == 0;
}

} // namespace veloquill
