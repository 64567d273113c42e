// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "device/hid_callback_list.h"

#include <QCoreApplication>

#include <functional>
#include <memory>

namespace veloquill {

// The removal callbacks of a backend's device: each runs once when the device leaves, and
// one registered after it left still runs once, on the main loop.
template <typename Device> class DeviceRemovalOf
{
public:
    using Ref = std::shared_ptr<Device>;
    using Callback = std::function<void(const Ref&)>;

    HidRegistration add(Callback callback, std::weak_ptr<Device> device)
    {
        auto registration = m_callbacks->add(std::move(callback));
        if (m_left) {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [callbacks = m_callbacks, device = std::move(device)] {
                    if (const auto self = device.lock())
                        callbacks->callOnce(self);
                },
                Qt::QueuedConnection);
        }
        return registration;
    }
    // The device left: every callback runs now, the device kept alive meanwhile.
    void leave(const Ref& device)
    {
        m_left = true;
        m_callbacks->callOnce(device);
    }
    bool left() const { return m_left; }

private:
    bool m_left = false;
    std::shared_ptr<HidCallbackList<void(const Ref&)>> m_callbacks =
        std::make_shared<HidCallbackList<void(const Ref&)>>();
};

class BackendDevice;
using DeviceRemoval = DeviceRemovalOf<BackendDevice>;

} // namespace veloquill
