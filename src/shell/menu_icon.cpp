#include "shell/menu_icon.h"

#include "views/svg_icon.h"

// The drawing lives in this static library; registering it here makes sure the linker
// keeps it.
static void registerShellResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(shell);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace veloquill {

QIcon menuIcon()
{
    registerShellResources();
    return svgIcon(QStringLiteral(":/veloquill/shell/MenuIcon.svg"), {16, 22, 24, 32, 48});
}

} // namespace veloquill
