#pragma once

// The HID device behind an XInput service: raw input values and reports, made from XI2 raw
// events. Raw events are selected only while some open, scheduled device has input delivery
// enabled (or some client wants events).

#include "device/hid_event_system.h"
#include "device/x11/raw_input.h"

#include <cstdint>
#include <memory>

namespace veloquill::x11 {

class X11Session;

// What the session needs to deliver raw input to one device object.
struct X11DeviceState
{
    std::uint64_t registryID = 0;
    ScrollAxes scroll;
    HidDevice* sender = nullptr;
    bool destroyed = false;
    bool open = false;
    bool scheduled = false;
    bool deliveryEnabled = false;
    HidInputValueCallback valueCallback = nullptr;
    void* valueContext = nullptr;
    HidInputReportCallback reportCallback = nullptr;
    std::uint8_t* reportBuffer = nullptr;
    std::size_t reportLength = 0;
    void* reportContext = nullptr;
    std::uint8_t buttons = 0; // HID buttons held, for reports

    bool wantsRawInput() const { return !destroyed && open && scheduled && deliveryEnabled; }
    void deliver(const RawInput& input);
};

class X11Device : public HidDevice
{
public:
    static std::shared_ptr<X11Device> create(const std::shared_ptr<X11Session>& session,
                                             std::uint64_t registryID, const ScrollAxes& scroll);
    ~X11Device() override;

    void open() override;
    void close() override;
    void setInputValueMatchingAll() override {} // every element is always reported
    void registerInputValueCallback(HidInputValueCallback callback, void* context) override;
    void registerInputReportCallback(std::uint8_t* report, std::size_t length,
                                     HidInputReportCallback callback, void* context) override;
    void setInputDeliveryEnabled(bool enabled) override;
    void scheduleWithMainLoop() override;
    void unscheduleFromMainLoop() override;

private:
    X11Device(std::weak_ptr<X11Session> session, std::shared_ptr<X11DeviceState> state);
    void update(bool X11DeviceState::*flag, bool value);

    std::weak_ptr<X11Session> m_session;
    std::shared_ptr<X11DeviceState> m_state;
};

} // namespace veloquill::x11
