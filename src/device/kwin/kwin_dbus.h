// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// KWin's input device interface on the session bus, and the calls the backend makes to it.
// Every call returns at once and its answer runs on the main loop; KWin answers one
// connection's calls in order. An error reply is one log line. A bus allows each connection
// only so many calls awaiting answers (128 on some): at most 32 are sent at once,
// the rest wait their turn in order, and a read refused for the bus's limits is sent again.

#include "device/paced_writes.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QVariantMap>

#include <deque>
#include <functional>
#include <memory>
#include <optional>

namespace veloquill::kwin {

inline const QString kService = QStringLiteral("org.kde.KWin");
inline const QString kManagerPath = QStringLiteral("/org/kde/KWin/InputDevice");
inline const QString kManagerInterface = QStringLiteral("org.kde.KWin.InputDeviceManager");
inline const QString kLogPrefix = QStringLiteral("KWinHidEventSystem: ");

// The properties of a device the backend uses.
namespace Property {
inline const QString Speed = QStringLiteral("pointerAcceleration");
inline const QString Flat = QStringLiteral("pointerAccelerationProfileFlat");
inline const QString Adaptive = QStringLiteral("pointerAccelerationProfileAdaptive");
} // namespace Property

// The manager's list of device names, asked as a property.
QDBusMessage devicesSysNamesCall();

class KWinCalls
{
public:
    explicit KWinCalls(QDBusConnection bus);
    // Calls still waiting their turn are never sent.
    ~KWinCalls();

    QDBusConnection& bus() { return m_queue->bus; }
    // Runs after every answer has been handled (a wait for answers looks again then).
    void setAfterAnswer(std::function<void()> afterAnswer)
    {
        m_queue->afterAnswer = std::move(afterAnswer);
    }
    // The manager's device list; nothing when it does not answer.
    void deviceSysNames(std::function<void(std::optional<QStringList>)> answered);
    void deviceProperties(const QString& sysName,
                          std::function<void(std::optional<QVariantMap>)> answered);
    void setDeviceProperty(const QString& sysName, const QString& name, const QVariant& value,
                           std::function<void(libinput::WriteAnswer)> answered);

private:
    struct Call
    {
        QDBusMessage message;
        std::function<void(const QDBusMessage&)> answered;
        // A read asks again when the bus refuses it for its limits; a write does not, lest
        // it land after a later one.
        bool read = false;
        int refusals = 0;
    };
    // Shared with the calls on their way, which may be answered after this object is gone.
    struct Queue
    {
        QDBusConnection bus;
        std::function<void()> afterAnswer;
        std::deque<Call> waiting;
        int onTheirWay = 0;
        bool pausedForLimits = false;
        bool closed = false;
    };
    void call(Call call);
    template <class T>
    void read(const QDBusMessage& message, const QString& what,
              std::function<void(std::optional<T>)> answered);
    static void sendWaiting(const std::shared_ptr<Queue>& queue);

    std::shared_ptr<Queue> m_queue;
};

} // namespace veloquill::kwin
