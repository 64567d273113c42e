#pragma once

#include "support/main_loop.h"

#include <QDeadlineTimer>

#include <functional>

namespace veloquill::test {

// Waits for something another process does: checks the condition every few milliseconds,
// running the main loop in between so that the output of started processes is read.
inline bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 10000)
{
    constexpr int kPollIntervalMs = 20;
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (condition())
            return true;
        if (deadline.hasExpired())
            return false;
        runMainLoopFor(kPollIntervalMs);
    }
}

} // namespace veloquill::test
