#pragma once

#include "device/hid_property_value.h"

#include <QString>

#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace veloquill::sim {

// What a simulated service looks like when it appears.
struct ServiceSpec
{
    std::map<QString, HidPropertyValue> properties;
    // Usage page / usage pairs the service conforms to; a mouse by default.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> usages{{1, 2}};
    // Whether a HID device can be reached behind the service.
    bool hasDevice = true;
    // A fixed registry id; a fresh unique one is chosen when absent.
    std::optional<std::uint64_t> registryID;
    // A service whose registry id cannot be read answers registryID() with nothing.
    bool reportsRegistryID = true;

    // A plain mouse: "Product", "VendorID", "ProductID", "SerialNumber" (when given),
    // "HIDPointerResolution" (16.16), "HIDPointerAcceleration" 45056, "HIDPointerButtonCount" 3.
    static ServiceSpec mouse(const QString& name, std::int64_t vendorID, std::int64_t productID,
                             std::optional<QString> serialNumber = std::nullopt,
                             double resolution = 400.0);
};

} // namespace veloquill::sim
