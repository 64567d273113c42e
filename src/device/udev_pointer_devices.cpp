// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/udev_pointer_devices.h"

#include <QSocketNotifier>

#include <libudev.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

namespace veloquill {

namespace {

struct UdevUnref
{
    void operator()(udev* context) const { udev_unref(context); }
    void operator()(udev_monitor* monitor) const { udev_monitor_unref(monitor); }
    void operator()(udev_enumerate* enumerate) const { udev_enumerate_unref(enumerate); }
    void operator()(udev_device* device) const { udev_device_unref(device); }
};

template <typename T> using UdevPtr = std::unique_ptr<T, UdevUnref>;

std::optional<QString> udevSerialForDevice(udev_device* device)
{
    // Parents belong to the child, so none of them is unreferenced here.
    for (; device; device = udev_device_get_parent(device)) {
        const char* value = udev_device_get_property_value(device, "ID_SERIAL_SHORT");
        if (value && *value)
            return QString::fromUtf8(value);
    }
    return std::nullopt;
}

bool propertyIsSet(udev_device* device, const char* property)
{
    const char* value = udev_device_get_property_value(device, property);
    return value && std::strcmp(value, "1") == 0;
}

// A trackball or touchpad is usually marked as a mouse too, so the most specific mark wins.
std::optional<DeviceKind> pointerKind(udev_device* device)
{
    if (propertyIsSet(device, "ID_INPUT_TOUCHPAD"))
        return DeviceKind::Touchpad;
    if (propertyIsSet(device, "ID_INPUT_POINTINGSTICK"))
        return DeviceKind::PointingStick;
    if (propertyIsSet(device, "ID_INPUT_TRACKBALL"))
        return DeviceKind::Trackball;
    if (propertyIsSet(device, "ID_INPUT_MOUSE"))
        return DeviceKind::Mouse;
    return std::nullopt;
}

QString sysattr(udev_device* device, const char* name)
{
    const char* value = device ? udev_device_get_sysattr_value(device, name) : nullptr;
    return value ? QString::fromUtf8(value).trimmed() : QString();
}

std::uint32_t hexSysattr(udev_device* device, const char* name)
{
    bool ok = false;
    const std::uint32_t value = sysattr(device, name).toUInt(&ok, 16);
    return ok ? value : 0;
}

std::optional<UdevPointerDevice> pointerDevice(udev_device* device)
{
    const char* sysName = udev_device_get_sysname(device);
    if (!sysName || !udev_device_get_devnode(device) || std::strncmp(sysName, "event", 5) != 0)
        return std::nullopt;
    const std::optional<DeviceKind> kind = pointerKind(device);
    if (!kind)
        return std::nullopt;
    // The event node's own parent, "inputN", carries the name and ids the kernel was given.
    udev_device* input = udev_device_get_parent_with_subsystem_devtype(device, "input", nullptr);
    UdevPointerDevice pointer;
    pointer.sysName = QString::fromUtf8(sysName);
    pointer.name = sysattr(input, "name");
    pointer.vendor = hexSysattr(input, "id/vendor");
    pointer.product = hexSysattr(input, "id/product");
    pointer.serialNumber = udevSerialForDevice(device);
    pointer.kind = *kind;
    return pointer;
}

} // namespace

std::optional<QString> udevSerialForDeviceNode(const QString& deviceNode)
{
    struct stat status
    {};
    if (deviceNode.isEmpty() || stat(deviceNode.toLocal8Bit().constData(), &status) != 0 ||
        !S_ISCHR(status.st_mode))
        return std::nullopt;
    const UdevPtr<udev> context(udev_new());
    if (!context)
        return std::nullopt;
    const UdevPtr<udev_device> node(
        udev_device_new_from_devnum(context.get(), 'c', status.st_rdev));
    return udevSerialForDevice(node.get());
}

struct UdevPointerDevices::Udev
{
    // Declared in this order so the notifier goes before the monitor it watches.
    UdevPtr<udev> context;
    UdevPtr<udev_monitor> monitor;
    std::unique_ptr<QSocketNotifier> notifier;
};

UdevPointerDevices::UdevPointerDevices(QObject* parent) : QObject(parent) {}
UdevPointerDevices::~UdevPointerDevices() = default;

bool UdevPointerDevices::start()
{
    auto state = std::make_unique<Udev>();
    state->context.reset(udev_new());
    // The monitor listens before the list is read, so a device arriving in between is not
    // missed; at worst it comes twice, and a repeated arrival replaces its entry.
    if (state->context)
        state->monitor.reset(udev_monitor_new_from_netlink(state->context.get(), "udev"));
    if (!state->monitor ||
        udev_monitor_filter_add_match_subsystem_devtype(state->monitor.get(), "input", nullptr) <
            0 ||
        udev_monitor_enable_receiving(state->monitor.get()) < 0)
        return false;
    m_udev = std::move(state);

    UdevPtr<udev_enumerate> enumerate(udev_enumerate_new(m_udev->context.get()));
    if (enumerate && udev_enumerate_add_match_subsystem(enumerate.get(), "input") >= 0 &&
        udev_enumerate_scan_devices(enumerate.get()) >= 0) {
        udev_list_entry* entry = nullptr;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get()))
        {
            UdevPtr<udev_device> device(udev_device_new_from_syspath(
                m_udev->context.get(), udev_list_entry_get_name(entry)));
            if (auto pointer = device ? pointerDevice(device.get()) : std::nullopt)
                m_devices.push_back(std::move(*pointer));
        }
    }

    m_udev->notifier = std::make_unique<QSocketNotifier>(udev_monitor_get_fd(m_udev->monitor.get()),
                                                         QSocketNotifier::Read);
    connect(m_udev->notifier.get(), &QSocketNotifier::activated, this,
            &UdevPointerDevices::readEvents);
    return true;
}

void UdevPointerDevices::readEvents()
{
    // The monitor's socket does not block: this reads what has come and returns.
    while (UdevPtr<udev_device> device{udev_monitor_receive_device(m_udev->monitor.get())}) {
        const QByteArray action = udev_device_get_action(device.get());
        if (action == "remove")
            forget(QString::fromUtf8(udev_device_get_sysname(device.get())));
        else if (action == "add" || action == "change") {
            if (std::optional<UdevPointerDevice> pointer = pointerDevice(device.get()))
                take(std::move(*pointer));
        }
    }
}

std::vector<UdevPointerDevice>::iterator UdevPointerDevices::find(const QString& sysName)
{
    return std::find_if(m_devices.begin(), m_devices.end(),
                        [&](const UdevPointerDevice& entry) { return entry.sysName == sysName; });
}

void UdevPointerDevices::take(UdevPointerDevice device)
{
    const auto known = find(device.sysName);
    if (known != m_devices.end()) {
        *known = std::move(device);
        return;
    }
    m_devices.push_back(device);
    Q_EMIT deviceAdded(device);
}

void UdevPointerDevices::forget(const QString& sysName)
{
    const auto known = find(sysName);
    if (known == m_devices.end())
        return;
    m_devices.erase(known);
    Q_EMIT deviceRemoved(sysName);
}

} // namespace veloquill
