#include "sim/simulated_device.h"

#include "sim/simulated_world.h"

#include <algorithm>
#include <cstring>

namespace veloquill::sim {

namespace {
// The report type an input report carries.
constexpr int InputReportType = 0;
} // namespace

void SimulatedDevice::open()
{
    m_open = true;
    ++m_openCount;
}

void SimulatedDevice::close()
{
    m_open = false;
    ++m_closeCount;
    ++m_session;
}

void SimulatedDevice::setInputDeliveryEnabled(bool enabled)
{
    if (m_inputDeliveryEnabled && !enabled)
        ++m_session;
    m_inputDeliveryEnabled = enabled;
}

void SimulatedDevice::unscheduleFromMainLoop()
{
    m_scheduled = false;
    ++m_session;
}

void SimulatedDevice::registerInputValueCallback(HidInputValueCallback callback, void* context)
{
    m_valueCallback = callback;
    m_valueContext = context;
    ++m_valueRegistrations;
}

void SimulatedDevice::registerInputReportCallback(std::uint8_t* report, std::size_t length,
                                                  HidInputReportCallback callback, void* context)
{
    m_reportBuffer = report;
    m_reportLength = length;
    m_reportCallback = callback;
    m_reportContext = context;
    ++m_reportRegistrations;
}

void SimulatedDevice::emitInputValue(const HidInputValue& value)
{
    if (!flowing() || !m_valueCallback)
        return;
    postToMainLoop([weakSelf = weak_from_this(), session = m_session,
                    registration = m_valueRegistrations, value] {
        // The device may have been closed, unscheduled, re-registered or destroyed meanwhile;
        // then the context may no longer be valid.
        const auto self = weakSelf.lock();
        if (!self || !self->flowing() || session != self->m_session ||
            registration != self->m_valueRegistrations)
            return;
        self->m_valueCallback(self->m_valueContext, 0, self.get(), value);
    });
}

void SimulatedDevice::emitReport(const std::vector<std::uint8_t>& bytes)
{
    if (!flowing() || !m_reportCallback)
        return;
    postToMainLoop([weakSelf = weak_from_this(), session = m_session,
                    registration = m_reportRegistrations, bytes] {
        const auto self = weakSelf.lock();
        if (!self || !self->flowing() || session != self->m_session ||
            registration != self->m_reportRegistrations)
            return;
        const std::size_t length = std::min(bytes.size(), self->m_reportLength);
        if (length > 0)
            std::memcpy(self->m_reportBuffer, bytes.data(), length);
        self->m_reportCallback(self->m_reportContext, 0, self.get(), InputReportType, 0,
                               self->m_reportBuffer, length);
    });
}

bool SimulatedDevice::invokeInputValueCallbackRaw(void* context, const HidInputValue& value)
{
    if (!m_valueCallback)
        return false;
    m_valueCallback(context, 0, this, value);
    return true;
}

bool SimulatedDevice::invokeInputReportCallbackRaw(void* context,
                                                   const std::vector<std::uint8_t>& bytes)
{
    if (!m_reportCallback)
        return false;
    m_reportCallback(context, 0, this, InputReportType, 0, bytes.data(), bytes.size());
    return true;
}

} // namespace veloquill::sim
