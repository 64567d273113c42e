#include "shell/menu_icon.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace veloquill;

namespace {
// Writes a file, making its folder.
void write(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

bool isRed(const QIcon& icon)
{
    return icon.pixmap(QSize(32, 32), 1.0).toImage().pixelColor(16, 16) == QColor(Qt::red);
}
} // namespace

// The package installs both icons under the app id; a theme that has them (or restyles them)
// wins over the program's own drawings, which stand in when it has not.
TEST(ThemeIcons, IconsComeFromTheThemeUnderTheAppIdAndTheDrawingsStandIn)
{
    const QTemporaryDir themes;
    const QString theme = themes.path() + "/test";
    write(theme + "/index.theme", "[Icon Theme]\nName=Test\nDirectories=scalable/apps\n\n"
                                  "[scalable/apps]\nSize=48\nMinSize=8\nMaxSize=512\n"
                                  "Type=Scalable\n");
    const QByteArray redSquare = R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 8 8">)"
                                 R"(<rect width="8" height="8" fill="#ff0000"/></svg>)";
    for (const char* name : {VELOQUILL_APP_ID, VELOQUILL_APP_ID "-symbolic"})
        write(theme + "/scalable/apps/" + name + ".svg", redSquare);
    const QStringList searchPaths = QIcon::themeSearchPaths();
    const QString themeName = QIcon::themeName();
    QIcon::setThemeSearchPaths({themes.path()});

    for (const bool themed : {false, true}) {
        SCOPED_TRACE(themed ? "theme has them" : "no theme");
        QIcon::setThemeName(themed ? "test" : "absent");
        for (const QIcon& icon : {menuIcon(), applicationIcon()}) {
            ASSERT_FALSE(icon.isNull());
            EXPECT_EQ(isRed(icon), themed);
        }
    }
    QIcon::setThemeSearchPaths(searchPaths);
    QIcon::setThemeName(themeName);
}
