#include "shell/app_delegate.h"

#include "device/pointer_device_manager.h"
#include "support/log.h"

namespace veloquill {

AppDelegate::AppDelegate(PointerDeviceManager& manager, QObject* parent)
    : QObject(parent), m_manager(manager)
{
}

void AppDelegate::applicationDidFinishLaunching()
{
    m_manager.startObservation();
    logLine(QStringLiteral("[AppDelegate] Called PointerDeviceManager.shared.startObservation()"));
}

void AppDelegate::applicationWillTerminate()
{
    // Quit, a signal and a lost display can all arrive; the devices are restored once.
    if (m_terminated)
        return;
    m_terminated = true;
    logLine(QStringLiteral("[AppDelegate] Application will terminate. Restoring pointer settings."));
    m_manager.restoreInitialPointerSettings();
    m_manager.stopObservation();
    logLine(QStringLiteral("[AppDelegate] Called PointerDeviceManager.shared.stopObservation()"));
}

} // namespace veloquill
