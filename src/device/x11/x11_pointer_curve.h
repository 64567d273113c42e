// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The X11 kinds of the pointer curve: what the backend's writes make of hand motion.

#include "device/pointer_curve.h"

namespace veloquill::x11 {

// A model of the kind, with the X11 gain attached for the X11 kinds.
PointerCurveModel curveModel(PointerCurveModel::Kind kind, bool speedShapesAcceleration = false);

} // namespace veloquill::x11
