// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/backend_factory.h"

#include "device/gnome/gnome_backend.h"
#include "device/kwin/kwin_backend.h"
#include "device/sway/sway_backend.h"

#include <utility>

namespace veloquill {

namespace {
// No backend serves this session; KWin's lists whatever appears, the choice says why not.
class UnchosenBackend final : public KWinBackend
{
public:
    explicit UnchosenBackend(ControlUnavailableReason reason) : m_reason(reason) {}
    ControlUnavailableReason controlUnavailableReason() override { return m_reason; }
    bool canControlPointerDevices() override { return false; }

private:
    ControlUnavailableReason m_reason;
};
} // namespace

BackendSystem makeBackendSystem(const BackendChoice& choice, const X11BackendOptions& x11Options)
{
    switch (choice.backend) {
    case Backend::X11: {
        auto x11 = std::make_shared<X11Backend>(x11Options);
        return {x11, x11};
    }
    case Backend::KWin:
        return {std::make_shared<KWinBackend>(), nullptr};
    case Backend::Gnome:
        return {std::make_shared<GnomeBackend>(), nullptr};
    case Backend::Sway:
        return {std::make_shared<SwayBackend>(), nullptr};
    case Backend::None:
        break;
    }
    return {std::make_shared<UnchosenBackend>(choice.unavailable), nullptr};
}

} // namespace veloquill
