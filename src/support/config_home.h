#pragma once

#include <QString>

namespace veloquill {

// ${XDG_CONFIG_HOME:-~/.config}, read from the environment at each call. A relative
// XDG_CONFIG_HOME is ignored, as the base directory rules ask (QStandardPaths keeps it).
QString xdgConfigHome();

} // namespace veloquill
