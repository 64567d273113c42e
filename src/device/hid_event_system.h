#pragma once

// The boundary between the pointer device layer and the HID event system that provides
// the devices. Everything the layer needs from the platform is here; a backend (the
// XInput2 one, the simulated one the tests use, later others) implements these classes.
//
// Rules every backend keeps:
// - All callbacks are delivered on the Qt main loop, never inside the call that caused them
//   (a property write, a service appearing) and never on another thread.
// - A callback registered with a target is never called after the registration is gone:
//   its client destroyed, its removal callbacks unregistered, or the device closed.
// - Service clients compare by identity: one object per service for as long as the
//   service exists; a service that leaves and comes back is a new object.

#include "device/hid_property_value.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace veloquill {

class HidServiceClient;
class HidDevice;
using HidServiceClientRef = std::shared_ptr<HidServiceClient>;

// One input event of a service, as the event system reports it. Opaque to the layer except
// for the registry id of the service that sent it.
struct HidEvent
{
    enum class Type
    {
        Motion,
        ButtonPress,
        ButtonRelease,
        Scroll
    };
    std::uint64_t senderID = 0;
    std::uint64_t timestamp = 0;
    Type type = Type::Motion;
    double deltaX = 0;
    double deltaY = 0;
};
using HidEventRef = std::shared_ptr<const HidEvent>;

// An element of a HID device (a button, an axis).
struct HidElement
{
    std::uint32_t usagePage = 0;
    std::uint32_t usage = 0;
};

// One raw input value of a HID device.
struct HidInputValue
{
    std::uint64_t timestamp = 0;
    std::vector<std::uint8_t> data;
    std::int64_t integerValue = 0;
    HidElement element;
};

// Keys and integers a service must match, for instance "DeviceUsagePage" = 1.
using HidMatchingDictionary = std::map<QString, std::int64_t>;

// Callbacks carry the target and refcon given at registration, unretained.
using HidDeviceMatchingCallback = void (*)(void* target, void* refcon,
                                           const HidServiceClientRef& service);
using HidEventCallback = void (*)(void* target, void* refcon, const HidServiceClientRef& service,
                                  const HidEventRef& event);
// A null key means the system did not say which property changed.
using HidPropertyChangedCallback = void (*)(void* target, void* refcon, const QString& key,
                                            const HidPropertyValue& value);
using HidServiceRemovalCallback = void (*)(void* target, void* refcon,
                                           const HidServiceClientRef& service);
using HidInputValueCallback = void (*)(void* context, int result, void* sender,
                                       const HidInputValue& value);
using HidInputReportCallback = void (*)(void* context, int result, void* sender, int reportType,
                                        std::uint32_t reportID, const std::uint8_t* report,
                                        std::size_t length);

// One service of the event system: a pointing device as the system knows it.
class HidServiceClient
{
public:
    virtual ~HidServiceClient() = default;

    // The property's current value; a null value when the service has none.
    virtual HidPropertyValue copyProperty(const QString& key) const = 0;
    // Asks the service to set the property. Fire and forget: nothing is reported back.
    virtual void setProperty(const QString& key, const HidPropertyValue& value) = 0;
    virtual bool conformsTo(std::uint32_t usagePage, std::uint32_t usage) const = 0;
    // The service's registry id, which input events carry as their sender id.
    virtual std::optional<std::uint64_t> registryID() const = 0;

    // The callback runs once, on the main loop, when the service goes away.
    virtual void registerRemovalCallback(HidServiceRemovalCallback callback, void* target,
                                         void* refcon) = 0;
    // Forgets every removal callback registered with this target.
    virtual void unregisterRemovalCallbacks(void* target) = 0;

    // The HID device behind the service, for raw input values and reports; null when the
    // service has none that can be reached.
    virtual std::shared_ptr<HidDevice> createDevice() = 0;

    // A stable, readable rendering for log lines.
    virtual QString describe() const = 0;
};

// The device behind a service: raw input values and reports.
class HidDevice
{
public:
    virtual ~HidDevice() = default;

    virtual void open() = 0;
    virtual void close() = 0;
    // Report every element's values.
    virtual void setInputValueMatchingAll() = 0;
    virtual void registerInputValueCallback(HidInputValueCallback callback, void* context) = 0;
    // Reports are copied into the caller's buffer of the given length before the callback.
    virtual void registerInputReportCallback(std::uint8_t* report, std::size_t length,
                                             HidInputReportCallback callback, void* context) = 0;
    // Input reaches the callbacks only while enabled (off for a new device); as for events,
    // a backend listens to raw input only then.
    virtual void setInputDeliveryEnabled(bool enabled) = 0;
    // Callbacks flow only while the device is scheduled.
    virtual void scheduleWithMainLoop() = 0;
    virtual void unscheduleFromMainLoop() = 0;
};

// A connection to the event system. Destroying it ends its event and property-changed
// callbacks.
class HidEventSystemClient
{
public:
    virtual ~HidEventSystemClient() = default;

    // Only services matching one of the dictionaries are reported.
    virtual void setMatchingMultiple(const std::vector<HidMatchingDictionary>& matching) = 0;
    // Called per arriving matching service; a repeat for a known service may happen.
    virtual void registerDeviceMatchingCallback(HidDeviceMatchingCallback callback, void* target,
                                                void* refcon) = 0;
    virtual void unregisterDeviceMatchingCallback(HidDeviceMatchingCallback callback, void* target,
                                                  void* refcon) = 0;
    virtual void registerEventCallback(HidEventCallback callback, void* target, void* refcon) = 0;
    // Input events reach the event callback only while enabled (off for a new client). A
    // backend listens to raw input only then, so an idle program never wakes on motion.
    virtual void setEventDeliveryEnabled(bool enabled) = 0;
    virtual void registerPropertyChangedCallback(const QString& key,
                                                 HidPropertyChangedCallback callback, void* target,
                                                 void* refcon) = 0;
    // Callbacks are delivered only while scheduled.
    virtual void scheduleWithMainLoop() = 0;
    virtual void unscheduleFromMainLoop() = 0;

    // The matching services now present; nothing when the system cannot say.
    virtual std::optional<std::vector<HidServiceClientRef>> copyServices() = 0;
    virtual HidServiceClientRef copyServiceForRegistryID(std::uint64_t registryID) = 0;
};

// Reading a system-wide HID parameter goes through three steps that can each fail.
struct HidSystemParameterRead
{
    enum class Outcome
    {
        NoSystemService,
        OpenFailed,
        CopyFailed,
        Copied
    };
    Outcome outcome = Outcome::NoSystemService;
    int resultCode = 0;     // the failing step's code; 0 when copied
    HidPropertyValue value; // present only when copied
};

// The HID event system itself: a backend's entry point.
class HidEventSystem
{
public:
    virtual ~HidEventSystem() = default;

    // A new client, or null when the system cannot be reached.
    virtual std::unique_ptr<HidEventSystemClient> createClient() = 0;
    // A system-wide parameter such as the default "HIDPointerAcceleration" (16.16).
    virtual HidSystemParameterRead copySystemParameter(const QString& key) = 0;
    // Whether this process may control real pointer devices; when not, the backend logs
    // one line saying why.
    virtual bool canControlPointerDevices() = 0;
};

} // namespace veloquill
