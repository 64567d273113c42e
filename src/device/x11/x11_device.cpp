#include "device/x11/x11_device.h"

#include "device/x11/x11_session.h"

namespace veloquill::x11 {

void X11DeviceState::deliver(const RawInput& input)
{
    // A callback may close or destroy the device; check before each call.
    if (valueCallback) {
        for (const HidInputValue& value : inputValuesFor(input, scroll)) {
            if (!wantsRawInput())
                return;
            valueCallback(valueContext, 0, sender, value);
        }
    }
    buttons = buttonsAfter(buttons, input);
    if (reportCallback && reportBuffer && wantsRawInput()) {
        writeReport(input, scroll, buttons, reportBuffer, reportLength);
        reportCallback(reportContext, 0, sender, 0, 0, reportBuffer, reportLength);
    }
}

std::shared_ptr<X11Device> X11Device::create(const std::shared_ptr<X11Session>& session,
                                             std::uint64_t registryID, const ScrollAxes& scroll)
{
    auto state = std::make_shared<X11DeviceState>();
    state->registryID = registryID;
    state->scroll = scroll;
    auto device = std::shared_ptr<X11Device>(new X11Device(session, state));
    state->sender = device.get();
    session->attachDevice(state);
    return device;
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

void X11Device::update(bool X11DeviceState::*flag, bool value)
{
    if (m_state.get()->*flag == value)
        return;
    m_state.get()->*flag = value;
    if (const auto session = m_session.lock())
        session->updateRawInputSelection();
}

void X11Device::open()
{
    update(&X11DeviceState::open, true);
}

void X11Device::close()
{
    update(&X11DeviceState::open, false);
}

void X11Device::registerInputValueCallback(HidInputValueCallback callback, void* context)
{
    m_state->valueCallback = callback;
    m_state->valueContext = context;
}

void X11Device::registerInputReportCallback(std::uint8_t* report, std::size_t length,
                                            HidInputReportCallback callback, void* context)
{
    m_state->reportBuffer = report;
    m_state->reportLength = length;
    m_state->reportCallback = callback;
    m_state->reportContext = context;
}

void X11Device::setInputDeliveryEnabled(bool enabled)
{
    update(&X11DeviceState::deliveryEnabled, enabled);
}

void X11Device::scheduleWithMainLoop()
{
    update(&X11DeviceState::scheduled, true);
}

void X11Device::unscheduleFromMainLoop()
{
    update(&X11DeviceState::scheduled, false);
}

} // namespace veloquill::x11
