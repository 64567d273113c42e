#include "sim/service_spec.h"

namespace veloquill::sim {

ServiceSpec ServiceSpec::mouse(const QString& name, std::int64_t vendorID, std::int64_t productID,
                               std::optional<QString> serialNumber, double resolution)
{
    ServiceSpec spec;
    spec.properties[QStringLiteral("Product")] = HidPropertyValue::text(name);
    spec.properties[QStringLiteral("VendorID")] = HidPropertyValue::integer(vendorID);
    spec.properties[QStringLiteral("ProductID")] = HidPropertyValue::integer(productID);
    if (serialNumber)
        spec.properties[QStringLiteral("SerialNumber")] = HidPropertyValue::text(*serialNumber);
    spec.properties[QStringLiteral("HIDPointerResolution")] =
        HidPropertyValue::integer(static_cast<std::int64_t>(resolution * 65536.0));
    spec.properties[QStringLiteral("HIDPointerAcceleration")] = HidPropertyValue::integer(45056);
    spec.properties[QStringLiteral("HIDPointerButtonCount")] = HidPropertyValue::integer(3);
    return spec;
}

} // namespace veloquill::sim
