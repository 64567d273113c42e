#pragma once

#include <functional>

namespace veloquill {

// Without a tray host the tray icon cannot be seen, and the settings window is the only way
// in: opens it and logs why. Returns whether it had to. Call once at start, after the tray
// icon has been set up.
bool openSettingsIfNoTrayHost();
bool openSettingsIfNoTrayHost(const std::function<bool()>& isTrayAvailable,
                              const std::function<void()>& openSettings);

} // namespace veloquill
