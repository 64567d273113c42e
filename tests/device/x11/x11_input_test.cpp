// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The backend selects no input events: the server does not even send them, so the program
// never wakes up as the pointer moves.
#include "x11_backend_fixture.h"

#include "device/pointer_device.h"
#include "support/main_loop.h"

namespace veloquill::test {
namespace {

TEST_F(X11BackendTest, AnObservingProgramNeverWakesAsThePointerMoves)
{
    startClient();
    const auto mouse = serviceNamed(*client, kXvfbMouse);
    const auto device = PointerDevice::create(mouse);
    device->setPointerResolution(kDoubleTravel);
    mouse->settings();
    drainMainLoop();

    WakeUpCounter wakeUps;
    driver().moveThroughDevice(driver().deviceId(kXvfbMouse), 1, 0, 10000);
    driver().sync();
    runMainLoopFor(100);
    EXPECT_EQ(wakeUps.count, 0);
}

} // namespace
} // namespace veloquill::test
