// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/menu_icon.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace veloquill;

// The package installs both icons under the app id; a theme that has them wins over the
// program's own drawings, which stand in when it has not.
TEST(ThemeIcons, IconsComeFromTheThemeUnderTheAppIdAndTheDrawingsStandIn)
{
    const QTemporaryDir themes;
    const QString apps = themes.path() + "/test/apps";
    QDir().mkpath(apps);
    const auto write = [](const QString& path, const QByteArray& text) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
    };
    ASSERT_TRUE(write(themes.path() + "/test/index.theme",
                      "[Icon Theme]\nDirectories=apps\n[apps]\nSize=48\nType=Scalable\n"));
    for (const char* name : {VELOQUILL_APP_ID, VELOQUILL_APP_ID "-symbolic"})
        ASSERT_TRUE(write(apps + "/" + name + ".svg",
                          R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 8 8">)"
                          R"(<rect width="8" height="8" fill="#f00"/></svg>)"));
    QIcon::setThemeSearchPaths({themes.path()});
    for (const bool themed : {false, true}) {
        QIcon::setThemeName(themed ? "test" : "absent");
        for (const QIcon& icon : {menuIcon(), applicationIcon()}) {
            ASSERT_FALSE(icon.isNull());
            const QColor centre = icon.pixmap(QSize(32, 32), 1.0).toImage().pixelColor(16, 16);
            EXPECT_EQ(centre == Qt::red, themed) << centre.name().toStdString();
        }
    }
}
