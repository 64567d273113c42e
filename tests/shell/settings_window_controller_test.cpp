#include "shell/settings_window_controller.h"
#include "shell/shell_window.h"
#include "support/main_loop.h"
#include "views/permission_view.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>

#include <gtest/gtest.h>

using namespace veloquill;

namespace {
// A settings window whose trust answer the test decides.
struct SettingsHarness
{
    bool trusted = false;
    int controlsBuilt = 0;
    SettingsWindowController controller{[this] { return trusted; },
                                        [this] {
                                            ++controlsBuilt;
                                            return new QLabel(QStringLiteral("device controls"));
                                        }};

    ShellWindow* window() const { return controller.settingsWindow(); }
    QWidget* content() const { return window() ? window()->content() : nullptr; }
    bool showsPermissionView() const { return qobject_cast<PermissionView*>(content()); }
    bool showsDeviceControls() const { return qobject_cast<QLabel*>(content()); }
};

int settingsWindowsOnScreen()
{
    int count = 0;
    for (const QWidget* widget : QApplication::topLevelWidgets())
        count += widget->isVisible() && widget->windowTitle() == "Veloquill Settings";
    return count;
}
} // namespace

TEST(SettingsWindow, OpensCentredAtItsSizeResizableAndPolling)
{
    SettingsHarness settings;
    EXPECT_EQ(settings.window(), nullptr);
    EXPECT_FALSE(settings.controller.isPollingPermission());

    settings.controller.bringToFront();
    const ShellWindow* window = settings.window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Veloquill Settings"));
    EXPECT_EQ(window->size(), QSize(580, 480));
    EXPECT_LT(window->minimumWidth(), 580);
    EXPECT_GT(window->maximumWidth(), 580);
    const QPoint screenCentre = window->screen()->availableGeometry().center();
    EXPECT_LE((window->geometry().center() - screenCentre).manhattanLength(), 2);
    EXPECT_TRUE(settings.controller.isPollingPermission());
    EXPECT_TRUE(ShellWindow::anyOnScreen());
}

TEST(SettingsWindow, ShowsThePermissionViewUntilPointerControlIsPossible)
{
    SettingsHarness settings;
    settings.controller.bringToFront();
    EXPECT_TRUE(settings.showsPermissionView());
    EXPECT_EQ(settings.controlsBuilt, 0);

    settings.trusted = true;
    settings.controller.bringToFront();
    EXPECT_TRUE(settings.showsDeviceControls());
    EXPECT_TRUE(settings.controller.hasAccessibilityPermission());
}

TEST(SettingsWindow, OneWindowWhoseContentIsBuiltAfreshOnEveryOpening)
{
    SettingsHarness settings;
    settings.trusted = true;
    settings.controller.bringToFront();
    ShellWindow* window = settings.window();
    window->resize(700, 520);
    const QPointer<QWidget> firstContent = settings.content();

    settings.controller.bringToFront();
    EXPECT_EQ(settings.window(), window);
    EXPECT_EQ(window->size(), QSize(700, 520));
    EXPECT_TRUE(firstContent.isNull());
    EXPECT_EQ(settings.controlsBuilt, 2);
    EXPECT_EQ(settingsWindowsOnScreen(), 1);
}

TEST(SettingsWindow, PollSwitchesTheContentWhenTheAnswerChanges)
{
    SettingsHarness settings;
    settings.controller.bringToFront();
    ASSERT_TRUE(settings.showsPermissionView());

    settings.trusted = true;
    settings.controller.checkAndUpdatePermissionStatus();
    EXPECT_TRUE(settings.showsDeviceControls());

    // An unchanged answer leaves the content alone.
    const QWidget* controls = settings.content();
    settings.controller.checkAndUpdatePermissionStatus();
    EXPECT_EQ(settings.content(), controls);
    EXPECT_EQ(settings.controlsBuilt, 1);

    settings.trusted = false;
    settings.controller.checkAndUpdatePermissionStatus();
    EXPECT_TRUE(settings.showsPermissionView());
}

TEST(SettingsWindow, TheOneSecondPollNoticesAGrantOnItsOwn)
{
    SettingsHarness settings;
    settings.controller.bringToFront();
    settings.trusted = true;
    EXPECT_TRUE(test::runMainLoopUntil([&] { return settings.showsDeviceControls(); }));
}

TEST(SettingsWindow, MinimisedWindowOnlyNotesTheChangeUntilBroughtToFront)
{
    SettingsHarness settings;
    settings.controller.bringToFront();
    settings.window()->showMinimized();
    settings.trusted = true;
    settings.controller.checkAndUpdatePermissionStatus();
    EXPECT_TRUE(settings.controller.hasAccessibilityPermission());
    EXPECT_TRUE(settings.showsPermissionView());
    EXPECT_TRUE(settings.controller.isPollingPermission());

    settings.controller.bringToFront();
    EXPECT_FALSE(settings.window()->isMinimized());
    EXPECT_TRUE(settings.showsDeviceControls());
}

TEST(SettingsWindow, ClosingStopsThePollAndTheNextWindowStartsAfresh)
{
    SettingsHarness settings;
    settings.controller.bringToFront();
    const QPointer<ShellWindow> first = settings.window();
    first->resize(700, 520);
    first->close();
    EXPECT_FALSE(settings.controller.isPollingPermission());
    EXPECT_EQ(settings.window(), nullptr);
    test::drainMainLoop();
    EXPECT_TRUE(first.isNull());

    settings.trusted = true;
    settings.controller.checkAndUpdatePermissionStatus();
    EXPECT_EQ(settings.window(), nullptr);
    EXPECT_FALSE(ShellWindow::anyOnScreen());

    settings.controller.bringToFront();
    EXPECT_EQ(settings.window()->size(), QSize(580, 480));
    EXPECT_TRUE(settings.showsDeviceControls());
    EXPECT_TRUE(settings.controller.isPollingPermission());
}
