// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace veloquill {

// The explanations behind the help buttons beside the sliders.
QString accelerationHelpText();
QString speedHelpText();
QString trackingSpeedHelpText();
QString precisionFactorHelpText();

} // namespace veloquill
