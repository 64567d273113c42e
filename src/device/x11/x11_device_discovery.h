// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Which XInput devices the backend offers as pointer services.

#include "device/x11/x11_properties.h"

#include <QString>

#include <utility>
#include <vector>

namespace veloquill::x11 {

class X11Connection;

// What the backend learns about a device when it first sees it.
struct X11DeviceFacts
{
    int deviceId = 0;
    QString name;
    int buttonCount = 0;
    bool isVirtual = false; // an XTEST device: software moves the pointer through it
};

// "device 6 \"Xvfb mouse\"", for log lines.
QString describeDevice(const X11DeviceFacts& facts);

// The enabled slave pointers, in the server's order. Floating slaves (detached, which is
// also what disabling a device makes of it) move no pointer and are left out; so are slave
// keyboards, even those with a pointer class.
std::vector<X11DeviceFacts> listSlavePointers(X11Connection& connection, const X11Atoms& atoms);

// Id and name of every slave pointer and floating slave the server has, disabled or not:
// the devices whose properties can still be written.
std::vector<std::pair<int, QString>> listExistingSlaves(X11Connection& connection);

} // namespace veloquill::x11
