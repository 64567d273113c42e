#include "shell/termination_signals.h"

#include "support/main_loop.h"

#include <gtest/gtest.h>

#include <csignal>

using namespace veloquill;

TEST(TerminationSignals, EachSignalArrivesOnTheMainLoop)
{
    TerminationSignals signals;
    std::vector<int> received;
    QObject::connect(&signals, &TerminationSignals::terminationRequested,
                     [&](int signalNumber) { received.push_back(signalNumber); });
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        ASSERT_EQ(::raise(signalNumber), 0);
        ASSERT_TRUE(test::runMainLoopUntil([&] { return !received.empty(); }));
        EXPECT_EQ(received.back(), signalNumber);
        received.clear();
    }
}
