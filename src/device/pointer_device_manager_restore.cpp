// Putting every device back the way it was found, at quit.
#include "device/pointer_device_manager.h"

#include "device/hid_keys.h"
#include "device/hid_service_client_ops.h"
#include "device/pointer_ranges.h"
#include "support/clamp.h"
#include "support/fixed_point.h"
#include "support/log.h"
#include "support/number_format.h"

namespace veloquill {

namespace {
constexpr std::int32_t kFallbackAccelerationFixed = 45056; // 0.6875
const QString& kSystemDefaultKey = HidKey::PointerAcceleration;
} // namespace

std::optional<double>
PointerDeviceManager::initialResolution(const HidServiceClientRef& client) const
{
    const auto it = m_initialDeviceResolutions.find(client);
    if (it == m_initialDeviceResolutions.end())
        return std::nullopt;
    return it->second;
}

void PointerDeviceManager::restoreInitialPointerSettings()
{
    logLine(QStringLiteral("[PointerDeviceManager] Attempting to restore initial pointer settings "
                           "for ") +
            QString::number(m_devices.size()) + QStringLiteral(" devices."));
    const std::optional<double> systemDefault = getSystemDefaultPointerAcceleration();

    for (const PointerDeviceRef& device : m_devices) {
        HidServiceClient& client = *device->client();
        const QString label = device->name();

        if (const auto recorded = initialResolution(device->client())) {
            const auto fixed = toFixedPoint(
                clamp(*recorded, PointerRange::MinResolution, PointerRange::MaxResolution));
            if (fixed)
                client.setProperty(HidKey::PointerResolution, HidPropertyValue::integer(*fixed));
            logLine(QStringLiteral("[PointerDeviceManager] Restored initial pointer resolution ") +
                    formatReal(*recorded) + QStringLiteral(" for device ") + label);
        } else {
            logLine(QStringLiteral("[PointerDeviceManager] No recorded initial pointer resolution "
                                   "to restore for device ") +
                    label);
        }

        if (systemDefault) {
            device->setPointerAcceleration(*systemDefault);
            logLine(QStringLiteral("[PointerDeviceManager] Restored pointer acceleration to system "
                                   "default (") +
                    formatReal(*systemDefault) + QStringLiteral(") for device ") + label);
        } else {
            // The same key the device's own acceleration reads and writes use.
            client.setProperty(*device->pointerAccelerationType(),
                               HidPropertyValue::integer(kFallbackAccelerationFixed));
            logLine(
                QStringLiteral("[PointerDeviceManager] Warning: System default pointer "
                               "acceleration not found. Applied fallback (0.6875) for device ") +
                label);
        }
    }

    m_initialDeviceResolutions.clear();
    logLine(QStringLiteral("[PointerDeviceManager] Cleared stored initial resolutions."));
}

std::optional<double> PointerDeviceManager::getSystemDefaultPointerAcceleration()
{
    const auto acceleration = getSystemHIDProperty(kSystemDefaultKey);
    if (!acceleration) {
        logLine(QStringLiteral("[PointerDeviceManager] Warning: Could not determine system default "
                               "pointer acceleration via IOKit for key '") +
                kSystemDefaultKey + QStringLiteral("'. Falling back."));
        return std::nullopt;
    }
    logLine(QStringLiteral("[PointerDeviceManager] Retrieved system default acceleration (") +
            kSystemDefaultKey + QStringLiteral("): ") + formatReal(*acceleration));
    return acceleration;
}

std::optional<double> PointerDeviceManager::getSystemHIDProperty(const QString& key)
{
    const HidSystemParameterRead read = m_eventSystem->copySystemParameter(key);
    switch (read.outcome) {
    case HidSystemParameterRead::Outcome::NoSystemService:
        logLine(QStringLiteral("[PointerDeviceManager] Failed to get IOHIDSystem service."));
        return std::nullopt;
    case HidSystemParameterRead::Outcome::OpenFailed:
        logLine(QStringLiteral("[PointerDeviceManager] Failed to open IOHIDSystem service "
                               "connection: ") +
                QString::number(read.resultCode));
        return std::nullopt;
    case HidSystemParameterRead::Outcome::CopyFailed:
    case HidSystemParameterRead::Outcome::Copied:
        break;
    }
    if (read.outcome == HidSystemParameterRead::Outcome::CopyFailed || read.value.isNull()) {
        logLine(QStringLiteral("[PointerDeviceManager] Failed to copy HID parameter '") + key +
                QStringLiteral("': ") + QString::number(read.resultCode) +
                QStringLiteral(" (valueCFTypeUnmanaged: ") + read.value.describe() +
                QStringLiteral(")"));
        return std::nullopt;
    }
    if (read.value.isNumber()) {
        const auto fixed = read.value.toInt32();
        if (!fixed) {
            logLine(QStringLiteral("[PointerDeviceManager] Failed to get IOFixed from CFNumber for "
                                   "key '") +
                    key + QStringLiteral("'."));
            return std::nullopt;
        }
        const double result = fromFixedPoint(*fixed);
        logLine(QStringLiteral("[PointerDeviceManager] Retrieved system HID property '") + key +
                QStringLiteral("' as IOFixed, converted to Double: ") + formatOptionalReal(result));
        return result;
    }
    logLine(QStringLiteral("[PointerDeviceManager] Retrieved system HID property '") + key +
            QStringLiteral("' but type mismatch or unhandled CFType. Expected Double, got ") +
            QString::number(static_cast<unsigned>(read.value.kind())));
    return std::nullopt;
}

} // namespace veloquill
