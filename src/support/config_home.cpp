#include "support/config_home.h"

#include <QDir>

namespace veloquill {

QString xdgConfigHome()
{
    const QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        return QDir::homePath() + QStringLiteral("/.config");
    return base;
}

} // namespace veloquill
