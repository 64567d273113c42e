#pragma once

#include <QIcon>

namespace veloquill {

// The tray icon, from the program's "MenuIcon" drawing at the sizes panels ask for. A
// dark quill with a light rim, so it reads on light and dark panels alike. Null when the
// drawing is missing.
QIcon menuIcon();

} // namespace veloquill
