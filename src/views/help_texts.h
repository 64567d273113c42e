#pragma once

#include <QString>

namespace veloquill {

// The explanations behind the help buttons beside the sliders.
QString accelerationHelpText();
QString speedHelpText();
QString trackingSpeedHelpText();

} // namespace veloquill
