// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace veloquill::HidKey {

// HID service property keys the device layer reads and writes.
inline const QString Product = QStringLiteral("Product");
inline const QString VendorID = QStringLiteral("VendorID");
inline const QString ProductID = QStringLiteral("ProductID");
inline const QString SerialNumber = QStringLiteral("SerialNumber");
inline const QString ButtonCount = QStringLiteral("HIDPointerButtonCount");
inline const QString PointerResolution = QStringLiteral("HIDPointerResolution");
inline const QString PointerAccelerationType = QStringLiteral("HIDPointerAccelerationType");
inline const QString PointerAcceleration = QStringLiteral("HIDPointerAcceleration");
inline const QString MouseAcceleration = QStringLiteral("HIDMouseAcceleration");
inline const QString UseLinearScalingMouseAcceleration =
    QStringLiteral("HIDUseLinearScalingMouseAcceleration");
// What the desktop would give the device on its own (16.16; acceleration -1 is off). Absent
// when the desktop reports no default.
inline const QString PointerResolutionDefault = QStringLiteral("HIDPointerResolutionDefault");
inline const QString PointerAccelerationDefault = QStringLiteral("HIDPointerAccelerationDefault");

// Keys of a matching dictionary: the generic desktop page and usage a service conforms to.
inline const QString DeviceUsagePage = QStringLiteral("DeviceUsagePage");
inline const QString DeviceUsage = QStringLiteral("DeviceUsage");

} // namespace veloquill::HidKey
