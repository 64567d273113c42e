// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "device/hid_callback_list.h"
#include "device/hid_event_system.h"

#include <memory>

namespace veloquill {

// The removal callbacks of a backend's service: each runs once when the service leaves, and
// one registered after it left still runs once, on the main loop.
class ServiceRemoval
{
public:
    HidRegistration add(HidServiceCallback callback, std::weak_ptr<HidServiceClient> service);
    // The service left: every callback runs now, the service kept alive meanwhile.
    void leave(const HidServiceClientRef& service);
    bool left() const { return m_left; }

private:
    bool m_left = false;
    std::shared_ptr<HidCallbackList<void(const HidServiceClientRef&)>> m_callbacks =
        std::make_shared<HidCallbackList<void(const HidServiceClientRef&)>>();
};

} // namespace veloquill
