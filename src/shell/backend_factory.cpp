// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/backend_factory.h"

#include "device/gnome/gnome_hid_event_system.h"
#include "device/kwin/kwin_hid_event_system.h"
#include "device/sway/sway_hid_event_system.h"

#include <utility>

namespace veloquill {

namespace {
// Each backend keeps its reason on its own class, beside the boundary the device layer uses.
template <typename System> BackendSystem served(std::shared_ptr<System> system)
{
    return {system, [system] { return system->controlUnavailableReason(); }, nullptr};
}
} // namespace

BackendSystem makeBackendSystem(const BackendChoice& choice,
                                const X11HidEventSystemOptions& x11Options)
{
    switch (choice.backend) {
    case Backend::X11: {
        auto x11 = std::make_shared<X11HidEventSystem>(x11Options);
        BackendSystem backend = served(x11);
        backend.x11 = std::move(x11);
        return backend;
    }
    case Backend::KWin:
        return served(std::make_shared<KWinHidEventSystem>());
    case Backend::Gnome:
        return served(std::make_shared<GnomeHidEventSystem>());
    case Backend::Sway:
        return served(std::make_shared<SwayHidEventSystem>());
    case Backend::None:
        break;
    }
    return {std::make_shared<KWinHidEventSystem>(),
            [reason = choice.unavailable] { return reason; }, nullptr};
}

} // namespace veloquill
