#include "device/pointer_device.h"

#include "device/hid_keys.h"
#include "device/hid_service_client_ops.h"
#include "device/observer_map.h"
#include "support/clamp.h"

#include <cmath>

namespace veloquill {

namespace {
constexpr double kMinResolution = 10.0;
constexpr double kMaxResolution = 1995.0;
constexpr double kMinAcceleration = 0.0;
constexpr double kMaxAcceleration = 20.0;
constexpr double kAccelerationOff = -1.0;
constexpr std::size_t kReportBufferLength = 8;

QString hexIdentifier(std::optional<std::int64_t> number)
{
    if (!number)
        return QStringLiteral("(nil)");
    // Printed as the unsigned 32-bit quantity the platform formats with %04X.
    const auto low = static_cast<std::uint32_t>(*number);
    return QStringLiteral("0x") +
           QString::number(low, 16).toUpper().rightJustified(4, QLatin1Char('0'));
}
} // namespace

std::shared_ptr<PointerDevice> PointerDevice::create(HidServiceClientRef client)
{
    return std::make_shared<PointerDevice>(Passkey{}, std::move(client));
}

PointerDevice::PointerDevice(Passkey, HidServiceClientRef client)
    : m_client(std::move(client)), m_device(m_client->createDevice())
{
    if (!m_device)
        return;
    m_device->open();
    m_device->setInputValueMatchingAll();
    m_device->registerInputValueCallback(&PointerDevice::inputValueCallback, this);
    m_device->scheduleWithMainLoop();
}

PointerDevice::~PointerDevice()
{
    if (!m_device)
        return;
    m_device->close();
    m_device->unscheduleFromMainLoop();
}

QString PointerDevice::name() const
{
    return product().value_or(QStringLiteral("(unknown)"));
}

std::optional<QString> PointerDevice::product() const
{
    return readText(*m_client, HidKey::Product);
}

std::optional<QString> PointerDevice::serialNumber() const
{
    return readText(*m_client, HidKey::SerialNumber);
}

std::optional<std::int64_t> PointerDevice::vendorID() const
{
    return readInteger(*m_client, HidKey::VendorID);
}

std::optional<std::int64_t> PointerDevice::productID() const
{
    return readInteger(*m_client, HidKey::ProductID);
}

QString PointerDevice::vendorIDString() const
{
    return hexIdentifier(vendorID());
}

QString PointerDevice::productIDString() const
{
    return hexIdentifier(productID());
}

std::optional<std::int64_t> PointerDevice::buttonCount() const
{
    return readInteger(*m_client, HidKey::ButtonCount);
}

QString PointerDevice::stableID() const
{
    const QString vendor = QString::number(vendorID().value_or(0));
    const QString productNumber = QString::number(productID().value_or(0));
    QString productName = name();
    productName.replace(QLatin1Char('-'), QLatin1Char('_'));
    const QString serial = serialNumber().value_or(QStringLiteral("N/A"));
    return vendor + QLatin1Char('-') + productNumber + QLatin1Char('-') + productName +
           QLatin1Char('-') + serial;
}

QString PointerDevice::description() const
{
    return name() + QStringLiteral(" (VID=") + vendorIDString() + QStringLiteral(", PID=") +
           productIDString() + QLatin1Char(')');
}

std::optional<double> PointerDevice::pointerResolution() const
{
    const auto fixed = readInt32(*m_client, HidKey::PointerResolution);
    if (!fixed)
        return std::nullopt;
    return *fixed / 65536.0;
}

void PointerDevice::setPointerResolution(std::optional<double> resolution)
{
    // A non-finite value goes through unclamped so that the write refuses it; clamping
    // NaN would silently become the fastest speed.
    if (resolution && std::isfinite(*resolution))
        resolution = clamp(*resolution, kMinResolution, kMaxResolution);
    setPropertyIOFixed(*m_client, resolution, HidKey::PointerResolution);
}

QString PointerDevice::accelerationKey() const
{
    if (const auto type = readText(*m_client, HidKey::PointerAccelerationType))
        return *type;
    if (readInt32(*m_client, HidKey::PointerAcceleration))
        return HidKey::PointerAcceleration;
    return HidKey::MouseAcceleration;
}

std::optional<QString> PointerDevice::pointerAccelerationType() const
{
    return accelerationKey();
}

void PointerDevice::setPointerAccelerationType(const std::optional<QString>& type)
{
    m_client->setProperty(HidKey::PointerAccelerationType,
                          type ? HidPropertyValue::text(*type) : HidPropertyValue());
}

std::optional<std::int64_t> PointerDevice::useLinearScalingMouseAcceleration() const
{
    return readInteger(*m_client, HidKey::UseLinearScalingMouseAcceleration);
}

void PointerDevice::setUseLinearScalingMouseAcceleration(std::optional<std::int64_t> value)
{
    m_client->setProperty(HidKey::UseLinearScalingMouseAcceleration,
                          value ? HidPropertyValue::integer(*value) : HidPropertyValue());
}

std::optional<double> PointerDevice::pointerAcceleration() const
{
    if (useLinearScalingMouseAcceleration() == 1)
        return kAccelerationOff;
    const auto fixed = readInt32(*m_client, accelerationKey());
    if (!fixed)
        return std::nullopt;
    return *fixed / 65536.0;
}

void PointerDevice::setPointerAcceleration(std::optional<double> acceleration)
{
    if (acceleration && *acceleration != kAccelerationOff && std::isfinite(*acceleration))
        acceleration = clamp(*acceleration, kMinAcceleration, kMaxAcceleration);
    setPropertyIOFixed(*m_client, acceleration, accelerationKey());
}

bool PointerDevice::confirmsTo(std::uint32_t usagePage, std::uint32_t usage) const
{
    return m_client->conformsTo(usagePage, usage);
}

template <typename Observer>
std::shared_ptr<ObservationToken>
PointerDevice::addObserver(std::map<QUuid, Observer> PointerDevice::*map, Observer observer)
{
    const QUuid id = QUuid::createUuid();
    (this->*map).emplace(id, std::move(observer));
    updateInputDelivery();
    std::weak_ptr<PointerDevice> weakDevice = weak_from_this();
    return ObservationToken::create([weakDevice, map, id] {
        if (const auto device = weakDevice.lock()) {
            (device.get()->*map).erase(id);
            device->updateInputDelivery();
        }
    });
}

std::shared_ptr<ObservationToken> PointerDevice::observeInput(InputValueObserver observer)
{
    return addObserver(&PointerDevice::m_inputValueObservers, std::move(observer));
}

std::shared_ptr<ObservationToken> PointerDevice::observeReport(InputReportObserver observer)
{
    if (!m_inputReportCallbackRegistered) {
        if (m_device) {
            m_reportBuffer.assign(kReportBufferLength, 0);
            m_device->registerInputReportCallback(m_reportBuffer.data(), m_reportBuffer.size(),
                                                  &PointerDevice::inputReportCallback, this);
        }
        m_inputReportCallbackRegistered = true;
    }
    return addObserver(&PointerDevice::m_inputReportObservers, std::move(observer));
}

void PointerDevice::updateInputDelivery()
{
    // Listening to raw input costs a wake-up per motion; do it only while someone listens.
    if (m_device)
        m_device->setInputDeliveryEnabled(!m_inputValueObservers.empty() ||
                                          !m_inputReportObservers.empty());
}

void PointerDevice::inputValueCallback(void* context, int, void*, const HidInputValue& value)
{
    if (!context)
        return;
    auto* device = static_cast<PointerDevice*>(context);
    // An observer may drop the last reference to the device; finish the walk first.
    const auto keepAlive = device->shared_from_this();
    forEachLiveObserver(device->m_inputValueObservers,
                        [&](InputValueObserver& observer) { observer(*device, value); });
}

void PointerDevice::inputReportCallback(void* context, int, void*, int, std::uint32_t,
                                        const std::uint8_t* report, std::size_t length)
{
    if (!context)
        return;
    auto* device = static_cast<PointerDevice*>(context);
    const auto keepAlive = device->shared_from_this();
    const std::vector<std::uint8_t> bytes(report, report + length);
    forEachLiveObserver(device->m_inputReportObservers,
                        [&](InputReportObserver& observer) { observer(*device, bytes); });
}

} // namespace veloquill
