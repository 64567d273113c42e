// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "x_driver.h"

#include <QAbstractEventDispatcher>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>

#include <stdexcept>

namespace veloquill::test {

namespace {
// A program sees another client's change from its next turn of the main loop on, as it would
// a user's next key press; the test's next look stands for one.
void endMainLoopTurn()
{
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        Q_EMIT dispatcher->aboutToBlock();
}
} // namespace

XDriver::XDriver(const QString& displayName)
    : m_display(XOpenDisplay(displayName.toLocal8Bit().constData()))
{
    if (!m_display)
        throw std::runtime_error("cannot open the test's own X connection");
    int major = 2, minor = 2;
    XIQueryVersion(m_display, &major, &minor);
}

XDriver::~XDriver()
{
    for (const auto& [id, device] : m_openDevices)
        XCloseDevice(m_display, static_cast<XDevice*>(device));
    XCloseDisplay(m_display);
}

int XDriver::deviceId(const QString& name)
{
    int count = 0, found = -1;
    XIDeviceInfo* devices = XIQueryDevice(m_display, XIAllDevices, &count);
    for (int i = 0; i < count; ++i) {
        if (name == QString::fromUtf8(devices[i].name))
            found = devices[i].deviceid;
    }
    XIFreeDeviceInfo(devices);
    return found;
}

void XDriver::addMaster(const QString& name)
{
    const QByteArray utf8 = name.toUtf8();
    XIAddMasterInfo add{XIAddMaster, const_cast<char*>(utf8.constData()), True, True};
    XIChangeHierarchy(m_display, reinterpret_cast<XIAnyHierarchyChangeInfo*>(&add), 1);
    sync();
}

void XDriver::removeMaster(const QString& name)
{
    XIRemoveMasterInfo remove{XIRemoveMaster, deviceId(name + " pointer"), XIFloating, 0, 0};
    XIChangeHierarchy(m_display, reinterpret_cast<XIAnyHierarchyChangeInfo*>(&remove), 1);
    sync();
}

void XDriver::placePointer(int x, int y)
{
    XTestFakeMotionEvent(m_display, -1, x, y, CurrentTime);
    sync();
}

void XDriver::warpPointer(int x, int y, bool throughXInput2)
{
    const Window root = DefaultRootWindow(m_display);
    if (throughXInput2)
        XIWarpPointer(m_display, deviceId("Virtual core pointer"), None, root, 0, 0, 0, 0, x, y);
    else
        XWarpPointer(m_display, None, root, 0, 0, 0, 0, x, y);
    sync();
}

QPoint XDriver::pointerPosition()
{
    Window root, child;
    int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
    unsigned int mask = 0;
    XQueryPointer(m_display, DefaultRootWindow(m_display), &root, &child, &rootX, &rootY, &windowX,
                  &windowY, &mask);
    return {rootX, rootY};
}

void* XDriver::openDevice(int deviceId)
{
    auto& device = m_openDevices[deviceId];
    if (!device)
        device = XOpenDevice(m_display, static_cast<XID>(deviceId));
    return device;
}

void XDriver::moveThroughDevice(int deviceId, int dx, int dy, int times)
{
    int axes[2] = {dx, dy};
    for (int i = 0; i < times; ++i)
        XTestFakeDeviceMotionEvent(m_display, static_cast<XDevice*>(openDevice(deviceId)), True, 0,
                                   axes, 2, CurrentTime);
    sync();
}

void XDriver::setPointerControl(int numerator, int denominator, int threshold)
{
    XChangePointerControl(m_display, True, True, numerator, denominator, threshold);
    sync();
}

QString XDriver::pointerControl()
{
    int numerator = 0, denominator = 0, threshold = 0;
    XGetPointerControl(m_display, &numerator, &denominator, &threshold);
    return QString("%1/%2 %3").arg(numerator).arg(denominator).arg(threshold);
}

QString XDriver::pointerFeedback(int deviceId)
{
    int count = 0;
    XFeedbackState* states =
        XGetFeedbackControl(m_display, static_cast<XDevice*>(openDevice(deviceId)), &count);
    QString found;
    XFeedbackState* state = states;
    for (int i = 0; state && i < count && found.isEmpty(); ++i) {
        if (state->c_class == PtrFeedbackClass) {
            const auto* pointer = reinterpret_cast<XPtrFeedbackState*>(state);
            found = QString("%1/%2 %3")
                        .arg(pointer->accelNum)
                        .arg(pointer->accelDenom)
                        .arg(pointer->threshold);
        }
        state = reinterpret_cast<XFeedbackState*>(reinterpret_cast<char*>(state) + state->length);
    }
    if (states)
        XFreeFeedbackList(states);
    return found;
}

namespace {
void changeProperty(Display* display, int deviceId, const QString& property, Atom type, int format,
                    const void* data, std::size_t count)
{
    XIChangeProperty(display, deviceId,
                     XInternAtom(display, property.toLatin1().constData(), False), type, format,
                     PropModeReplace, static_cast<unsigned char*>(const_cast<void*>(data)),
                     static_cast<int>(count));
    XSync(display, False);
    endMainLoopTurn();
}
} // namespace

void XDriver::setFloatProperty(int deviceId, const QString& property,
                               const std::vector<float>& values)
{
    changeProperty(m_display, deviceId, property, XInternAtom(m_display, "FLOAT", False), 32,
                   values.data(), values.size());
}

void XDriver::setIntegerProperty(int deviceId, const QString& property, int format,
                                 const std::vector<int>& values)
{
    // 32-bit items go as they are; 8-bit ones one byte each.
    const std::vector<unsigned char> bytes(values.begin(), values.end());
    changeProperty(m_display, deviceId, property, XA_INTEGER, format,
                   format == 8 ? static_cast<const void*>(bytes.data()) : values.data(),
                   values.size());
}

void XDriver::setStringProperty(int deviceId, const QString& property, const QString& value)
{
    const QByteArray bytes = value.toLocal8Bit();
    changeProperty(m_display, deviceId, property, XA_STRING, 8, bytes.data(), bytes.size());
}

void XDriver::deleteRootProperty(const QString& name)
{
    XDeleteProperty(m_display, DefaultRootWindow(m_display),
                    XInternAtom(m_display, name.toLatin1().constData(), False));
    sync();
}

void XDriver::sync()
{
    XSync(m_display, False);
    endMainLoopTurn();
}

std::map<QString, QStringList> xinputListProps(const QString& displayName, int deviceId)
{
    QProcess xinput;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", displayName);
    xinput.setProcessEnvironment(environment);
    xinput.start("xinput", {"list-props", QString::number(deviceId)});
    xinput.waitForFinished();
    // Lines look like: "\tDevice Accel Profile (233):\t0"
    static const QRegularExpression line("^\\s+(.+) \\(\\d+\\):\\s*(.*)$");
    std::map<QString, QStringList> properties;
    for (const QString& text : QString::fromLocal8Bit(xinput.readAllStandardOutput()).split('\n')) {
        if (const auto match = line.match(text); match.hasMatch())
            properties[match.captured(1)] = match.captured(2).split(", ", Qt::SkipEmptyParts);
    }
    return properties;
}

} // namespace veloquill::test
