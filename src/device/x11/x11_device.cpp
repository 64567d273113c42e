// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/x11_device.h"

#include "device/x11/x11_session.h"

#include <vector>

namespace veloquill::x11 {

void X11DeviceState::deliver(const RawInput& input)
{
    // A callback may end registrations or destroy the device.
    const auto alive = [this] { return !destroyed; };
    for (const HidInputValue& value : inputValuesFor(input, scroll))
        valueCallbacks.callWhile(alive, value);
    buttons = buttonsAfter(buttons, input);
    if (!reportCallbacks.empty() && !destroyed) {
        std::vector<std::uint8_t> report(reportLength);
        writeReport(input, scroll, buttons, report.data(), report.size());
        reportCallbacks.callWhile(alive, report);
    }
}

std::shared_ptr<X11Device> X11Device::create(const std::shared_ptr<X11Session>& session,
                                             std::uint64_t registryID, const ScrollAxes& scroll)
{
    auto state = std::make_shared<X11DeviceState>();
    state->registryID = registryID;
    state->scroll = scroll;
    session->attachDevice(state);
    return std::shared_ptr<X11Device>(new X11Device(session, state));
}

X11Device::X11Device(std::weak_ptr<X11Session> session, std::shared_ptr<X11DeviceState> state)
    : m_session(std::move(session)), m_state(std::move(state))
{}

X11Device::~X11Device()
{
    m_state->destroyed = true;
    if (const auto session = m_session.lock())
        session->updateRawInputSelection();
}

HidRegistration X11Device::registerInputValueCallback(HidInputValueCallback callback)
{
    return X11Session::updatingRawInputSelection(m_session,
                                                 m_state->valueCallbacks.add(std::move(callback)));
}

HidRegistration X11Device::registerInputReportCallback(std::size_t length,
                                                       HidInputReportCallback callback)
{
    m_state->reportLength = length;
    return X11Session::updatingRawInputSelection(m_session,
                                                 m_state->reportCallbacks.add(std::move(callback)));
}

} // namespace veloquill::x11
