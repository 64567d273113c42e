// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/x11_pointer_curve.h"
#include "settings/settings_state_fixture.h"
#include "views/pointer_controls_form.h"
#include "views/pointer_curve_view.h"

#include <QImage>
#include <QLabel>

#include <tuple>

using namespace veloquill;
using namespace veloquill::test;

namespace {
using Kind = PointerCurveModel::Kind;

// Slow is 5 mm/s, fast 100 mm/s; the gains follow from the profiles in docs/curve.md (a
// quarter of speed 0.5 is just under libinput speed -0.75, as 16.16 truncates).
// What, kind, speed, acceleration, acceleration off, precision factor, description.
const std::tuple<const char*, Kind, double, double, bool, double, const char*> kCases[] = {
    {"desktop, default", Kind::Libinput, 0.5, 1, false, 1,
     "At slow hand speeds the pointer moves 1.00× as far; at fast ones up to 2.00×."},
    {"desktop, flat", Kind::Libinput, 1, 1, true, 1,
     "At slow hand speeds the pointer moves 1.94× as far; at fast ones up to 1.94×."},
    {"desktop, precision", Kind::Libinput, 0.5, 1, false, 0.25,
     "At slow hand speeds the pointer moves 0.87× as far; at fast ones up to 0.87×."},
    {"x11 libinput, fast", Kind::X11Libinput, 1, 1, false, 1,
     "At slow hand speeds the pointer moves 1.94× as far; at fast ones up to 3.87×."},
};
} // namespace

TEST_F(SettingsStateTest, CurveViewDescribesTheSelectedDevicesCurveAndHidesWithoutOne)
{
    auto service = connect("Trackball", 1, 2);
    build().ensureDeviceSelectionAndLoadSettings();
    QWidget host;
    auto* view = new PointerCurveView(*state, &host);
    EXPECT_TRUE(view->isHidden()) << "the desktop cannot say how it accelerates";

    for (const auto& [what, kind, speed, acceleration, off, precision, description] : kCases) {
        service->setCurveModel(x11::curveModel(kind));
        state->setPrecisionFactor(precision);
        state->setPrecisionMode(precision < 1);
        state->setCurrentPointerDisableAcceleration(off);
        state->setCurrentPointerAcceleration(acceleration);
        state->setCurrentPointerSpeed(speed);
        EXPECT_EQ(view->accessibleDescription(), QString::fromUtf8(description)) << what;
    }
    host.resize(400, 300);
    host.show();
    QImage image(view->size(), QImage::Format_ARGB32);
    view->render(&image);

    state->setSelectedDeviceID(std::nullopt);
    EXPECT_TRUE(view->isHidden());
}

// Where the driver cannot take Veloquill's curve the window says in one line what the speed
// does instead; elsewhere it says nothing.
TEST_F(SettingsStateTest, TheWindowSaysWhereTheSpeedShapesTheAcceleration)
{
    auto service = connect("Trackball", 1, 2);
    for (const bool shapes : {true, false}) {
        service->setCurveModel(x11::curveModel(shapes ? Kind::Libinput : Kind::X11Server, shapes));
        build().ensureDeviceSelectionAndLoadSettings();
        PointerControlsForm form(*state);
        form.show();
        EXPECT_EQ(form.speedShapesNote()->isVisible(), shapes);
    }
}
