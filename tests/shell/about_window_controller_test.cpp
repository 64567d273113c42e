#include "shell/about_window_controller.h"
#include "shell/settings_window_controller.h"
#include "shell/shell_window.h"
#include "support/main_loop.h"
#include "views/about_view.h"

#include <QPointer>

#include <gtest/gtest.h>

using namespace veloquill;

TEST(AboutWindow, OneFixedSizeWindowThatIsOnlyBroughtForward)
{
    AboutWindowController about;
    about.bringToFront();
    ShellWindow* window = about.aboutWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("About Veloquill"));
    EXPECT_EQ(window->size(), QSize(500, 600));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    QWidget* page = window->content();
    EXPECT_NE(qobject_cast<AboutView*>(page), nullptr);

    window->showMinimized();
    about.bringToFront();
    EXPECT_EQ(about.aboutWindow(), window);
    EXPECT_EQ(window->content(), page);
    EXPECT_FALSE(window->isMinimized());
}

TEST(AboutWindow, ClosingItLeavesTheSettingsWindowOpenAndTheReverse)
{
    AboutWindowController about;
    SettingsWindowController settings([] { return false; }, [] { return new QWidget; });
    about.bringToFront();
    settings.bringToFront();

    const QPointer<ShellWindow> firstAbout = about.aboutWindow();
    firstAbout->close();
    test::drainMainLoop();
    EXPECT_TRUE(firstAbout.isNull());
    EXPECT_EQ(about.aboutWindow(), nullptr);
    EXPECT_TRUE(settings.settingsWindow()->isVisible());
    EXPECT_TRUE(settings.isPollingPermission());

    about.bringToFront();
    EXPECT_NE(about.aboutWindow(), nullptr);
    settings.settingsWindow()->close();
    EXPECT_TRUE(about.aboutWindow()->isVisible());
}
