// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>

#include <map>
#include <vector>

struct _XDisplay;

namespace veloquill::test {

// The test's own X client: it plugs devices in and out, moves the pointer through them and
// changes their properties the way other programs on the desktop would.
class XDriver
{
public:
    explicit XDriver(const QString& displayName);
    ~XDriver();
    XDriver(const XDriver&) = delete;
    XDriver& operator=(const XDriver&) = delete;

    // The XInput id of the device with that name, -1 when there is none.
    int deviceId(const QString& name);

    // A new master pointer/keyboard pair named "<name> pointer"/"<name> keyboard", with
    // its XTEST slaves "<name> XTEST pointer" and "<name> XTEST keyboard".
    void addMaster(const QString& name);
    void removeMaster(const QString& name);
    void setDeviceEnabled(int deviceId, bool enabled)
    {
        setIntegerProperty(deviceId, "Device Enabled", 8, {enabled});
    }

    // Puts the pointer there through the core XTEST device (absolute XTest motion).
    void placePointer(int x, int y);
    // Warps the pointer as window managers do: XWarpPointer, or XIWarpPointer on the master.
    void warpPointer(int x, int y, bool throughXInput2);
    QPoint pointerPosition();
    // Relative motion sent through that device, as its driver would report it.
    void moveThroughDevice(int deviceId, int dx, int dy, int times = 1);

    void setPointerControl(int numerator, int denominator, int threshold);
    // The device's own pointer feedback, "numerator/denominator threshold".
    QString pointerFeedback(int deviceId);
    // "numerator/denominator threshold", as `xset m` takes it.
    QString pointerControl();
    void setFloatProperty(int deviceId, const QString& property, const std::vector<float>& values);
    void setIntegerProperty(int deviceId, const QString& property, int format,
                            const std::vector<int>& values);
    void setStringProperty(int deviceId, const QString& property, const QString& value);

    // As any client may: the root window loses that property.
    void deleteRootProperty(const QString& name);
    // Waits until the server has handled everything sent.
    void sync();

private:
    void* openDevice(int deviceId);

    _XDisplay* m_display = nullptr;
    std::map<int, void*> m_openDevices;
};

// Property name → the values `xinput list-props` prints for it, as another program sees them.
std::map<QString, QStringList> xinputListProps(const QString& displayName, int deviceId);

} // namespace veloquill::test
