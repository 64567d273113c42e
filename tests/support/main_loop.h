// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>

#include <functional>

namespace veloquill::test {

// Runs the Qt main loop until no posted work is left (queued calls, zero timers).
inline void drainMainLoop()
{
    // Work posted by posted work needs another pass; a few passes settle every chain
    // the code under test makes.
    for (int pass = 0; pass < 8; ++pass) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

// Runs the main loop until the condition holds or the time runs out; returns the condition.
inline bool runMainLoopUntil(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return condition();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

// Runs the main loop for the given time, delivering timers that fall due.
inline void runMainLoopFor(int milliseconds)
{
    runMainLoopUntil([] { return false; }, milliseconds);
}

} // namespace veloquill::test
