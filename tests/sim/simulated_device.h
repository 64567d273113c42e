#pragma once

#include "device/hid_event_system.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace veloquill::sim {

// The HID device behind a simulated service. Input the test emits reaches the registered
// callbacks on the main loop, and only while the device is open, scheduled and has input
// delivery enabled.
class SimulatedDevice : public HidDevice, public std::enable_shared_from_this<SimulatedDevice>
{
public:
    void open() override;
    void close() override;
    void setInputValueMatchingAll() override { m_matchesAllInputValues = true; }
    void registerInputValueCallback(HidInputValueCallback callback, void* context) override;
    void registerInputReportCallback(std::uint8_t* report, std::size_t length,
                                     HidInputReportCallback callback, void* context) override;
    void setInputDeliveryEnabled(bool enabled) override;
    void scheduleWithMainLoop() override { m_scheduled = true; }
    void unscheduleFromMainLoop() override;

    // The test's side.
    bool isOpen() const { return m_open; }
    bool isScheduled() const { return m_scheduled; }
    bool isInputDeliveryEnabled() const { return m_inputDeliveryEnabled; }
    bool matchesAllInputValues() const { return m_matchesAllInputValues; }
    int openCount() const { return m_openCount; }
    int closeCount() const { return m_closeCount; }
    int inputValueCallbackRegistrations() const { return m_valueRegistrations; }
    int inputReportCallbackRegistrations() const { return m_reportRegistrations; }
    std::size_t inputReportBufferLength() const { return m_reportLength; }

    void emitInputValue(const HidInputValue& value);
    // The report is copied into the registered buffer, cut to its length.
    void emitReport(const std::vector<std::uint8_t>& bytes);

    // Call the registered callback right now with the given (possibly null) context, for
    // tests of defensive branches. Return false when no callback is registered.
    bool invokeInputValueCallbackRaw(void* context, const HidInputValue& value);
    bool invokeInputReportCallbackRaw(void* context, const std::vector<std::uint8_t>& bytes);

private:
    bool flowing() const { return m_open && m_scheduled && m_inputDeliveryEnabled; }

    bool m_open = false;
    bool m_scheduled = false;
    bool m_inputDeliveryEnabled = false;
    bool m_matchesAllInputValues = false;
    int m_openCount = 0;
    int m_closeCount = 0;
    // Bumped by close, unschedule and disabling delivery: input queued before either is dropped,
    // even when the device is open and scheduled again by the time it would be delivered.
    int m_session = 0;

    // Each registration replaces the previous one; the count tells queued input which one
    // it was meant for.
    HidInputValueCallback m_valueCallback = nullptr;
    void* m_valueContext = nullptr;
    int m_valueRegistrations = 0;

    HidInputReportCallback m_reportCallback = nullptr;
    void* m_reportContext = nullptr;
    std::uint8_t* m_reportBuffer = nullptr;
    std::size_t m_reportLength = 0;
    int m_reportRegistrations = 0;
};

} // namespace veloquill::sim
