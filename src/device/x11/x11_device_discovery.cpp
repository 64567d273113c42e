// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/x11_device_discovery.h"

#include "device/x11/x11_connection.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace veloquill::x11 {

namespace {
bool hasProperty(Display* display, int deviceId, XAtom property)
{
    int count = 0;
    Atom* properties = XIListProperties(display, deviceId, &count);
    bool found = false;
    for (int i = 0; i < count; ++i)
        found = found || properties[i] == property;
    if (properties)
        XFree(properties);
    return found;
}

void readClasses(const XIDeviceInfo& info, X11DeviceFacts& facts)
{
    for (int i = 0; i < info.num_classes; ++i) {
        const XIAnyClassInfo* any = info.classes[i];
        if (any->type == XIButtonClass)
            facts.buttonCount = reinterpret_cast<const XIButtonClassInfo*>(any)->num_buttons;
    }
}
} // namespace

QString describeDevice(const X11DeviceFacts& facts)
{
    return QStringLiteral("device ") + QString::number(facts.deviceId) + QStringLiteral(" \"") +
           facts.name + QLatin1Char('"');
}

std::vector<X11DeviceFacts> listSlavePointers(X11Connection& connection, const X11Atoms& atoms)
{
    std::vector<X11DeviceFacts> result;
    if (connection.isLost())
        return result;
    Display* display = connection.display();
    int count = 0;
    XIDeviceInfo* devices = XIQueryDevice(display, XIAllDevices, &count);
    for (int i = 0; i < count; ++i) {
        const XIDeviceInfo& info = devices[i];
        if (info.use != XISlavePointer || !info.enabled)
            continue;
        X11DeviceFacts facts;
        facts.deviceId = info.deviceid;
        facts.name = QString::fromUtf8(info.name);
        readClasses(info, facts);
        facts.isVirtual = facts.name.endsWith(QLatin1String(" XTEST pointer")) ||
                          hasProperty(display, info.deviceid, atoms.xtestDevice);
        result.push_back(facts);
    }
    if (devices)
        XIFreeDeviceInfo(devices);
    connection.afterReply();
    return result;
}

std::vector<std::pair<int, QString>> listExistingSlaves(X11Connection& connection)
{
    std::vector<std::pair<int, QString>> result;
    if (connection.isLost())
        return result;
    int count = 0;
    XIDeviceInfo* devices = XIQueryDevice(connection.display(), XIAllDevices, &count);
    for (int i = 0; i < count; ++i) {
        if (devices[i].use == XISlavePointer || devices[i].use == XIFloatingSlave)
            result.emplace_back(devices[i].deviceid, QString::fromUtf8(devices[i].name));
    }
    if (devices)
        XIFreeDeviceInfo(devices);
    connection.afterReply();
    return result;
}

} // namespace veloquill::x11
