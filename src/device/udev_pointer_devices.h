// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The pointing devices udev knows: the event nodes of the `input` subsystem that udev marks as
// a mouse, trackball, pointing stick or touchpad, listed at start and followed through udev's
// monitor, whose socket is read on the main loop. What a compositor's libinput drives, seen
// without asking the compositor; and the serial number udev knows for any event node.

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace veloquill {

// The kind udev marks it as (a desktop may keep one setting per kind).
enum class DeviceKind
{
    Mouse,
    Trackball,
    Touchpad,
    PointingStick
};

struct UdevPointerDevice
{
    QString sysName; // "event5", its node /dev/input/event5
    // From the parent input device: its `name`, and `id/vendor`, `id/product` (hexadecimal).
    QString name;
    std::uint32_t vendor = 0;
    std::uint32_t product = 0;
    // ID_SERIAL_SHORT of the node or one of its parents.
    std::optional<QString> serialNumber;
    DeviceKind kind = DeviceKind::Mouse;
    friend bool operator==(const UdevPointerDevice&, const UdevPointerDevice&) = default;
};

// The serial number udev knows for the input device node (ID_SERIAL_SHORT on the node or
// one of its parents), or nothing when the node is unknown or the device has none.
std::optional<QString> udevSerialForDeviceNode(const QString& deviceNode);

class UdevPointerDevices : public QObject
{
    Q_OBJECT

public:
    explicit UdevPointerDevices(QObject* parent = nullptr);
    ~UdevPointerDevices() override;

    // Lists the devices present and starts following udev's events; false when udev cannot be
    // used (the list then stays empty).
    bool start();
    // In the order udev listed them, arrivals last.
    const std::vector<UdevPointerDevice>& devices() const { return m_devices; }

Q_SIGNALS:
    void deviceAdded(const veloquill::UdevPointerDevice& device);
    void deviceRemoved(const QString& sysName);

private:
    void readEvents();
    // A repeated arrival replaces the entry without a second signal.
    void take(UdevPointerDevice device);
    void forget(const QString& sysName);
    std::vector<UdevPointerDevice>::iterator find(const QString& sysName);

    struct Udev;
    std::unique_ptr<Udev> m_udev;
    std::vector<UdevPointerDevice> m_devices;
};

} // namespace veloquill
