// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/service_removal.h"

#include <QCoreApplication>

namespace veloquill {

HidRegistration ServiceRemoval::add(HidServiceCallback callback,
                                    std::weak_ptr<HidServiceClient> service)
{
    auto registration = m_callbacks->add(std::move(callback));
    if (m_left) {
        // Already gone: the callback still runs once, on the main loop.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [callbacks = m_callbacks, service = std::move(service)] {
                if (const auto self = service.lock())
                    callbacks->callOnce(self);
            },
            Qt::QueuedConnection);
    }
    return registration;
}

void ServiceRemoval::leave(const HidServiceClientRef& service)
{
    m_left = true;
    m_callbacks->callOnce(service);
}

} // namespace veloquill
