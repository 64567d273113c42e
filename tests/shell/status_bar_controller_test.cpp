#include "shell/menu_icon.h"
#include "shell/status_bar_controller.h"
#include "shell/tray_fallback.h"
#include "support/log_capture.h"

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QSystemTrayIcon>

#include <gtest/gtest.h>

using namespace veloquill;

namespace {
struct TrayHarness
{
    int settingsOpened = 0;
    int aboutOpened = 0;
    int quitAsked = 0;
    StatusBarController controller{
        {[this] { ++settingsOpened; }, [this] { ++aboutOpened; }, [this] { ++quitAsked; }}};
    TrayHarness() { controller.setupStatusItem(); }
};
} // namespace

TEST(StatusBarController, MenuHoldsItsItemsInOrderWithTheirShortcuts)
{
    TrayHarness tray;
    ASSERT_NE(tray.controller.menu(), nullptr);
    EXPECT_EQ(tray.controller.statusItem()->contextMenu(), tray.controller.menu());
    EXPECT_FALSE(tray.controller.statusItem()->icon().isNull());

    const QList<QAction*> items = tray.controller.menu()->actions();
    ASSERT_EQ(items.size(), 7);
    const QString titles[] = {"Veloquill settings...", "", "Start at login", "",
                              "About Veloquill",       "", "Quit Veloquill"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(items[i]->isSeparator(), titles[i].isEmpty()) << i;
        EXPECT_EQ(items[i]->text(), titles[i]) << i;
        EXPECT_TRUE(items[i]->icon().isNull()) << i;
    }
    EXPECT_EQ(items[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma));
    EXPECT_TRUE(items[2]->shortcut().isEmpty());
    EXPECT_TRUE(items[4]->shortcut().isEmpty());
    EXPECT_EQ(items[6]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_EQ(items[2], tray.controller.startAtLoginAction());
}

TEST(StatusBarController, ItemsOpenTheWindowsAndQuit)
{
    TrayHarness tray;
    const QList<QAction*> items = tray.controller.menu()->actions();
    items[0]->trigger();
    items[0]->trigger();
    items[4]->trigger();
    EXPECT_EQ(tray.settingsOpened, 2);
    EXPECT_EQ(tray.aboutOpened, 1);
    EXPECT_EQ(tray.quitAsked, 0);
    items[6]->trigger();
    EXPECT_EQ(tray.quitAsked, 1);
}

TEST(StatusBarController, StartAtLoginAsksAndShowsOnlyTheReportedState)
{
    TrayHarness tray;
    QAction* startAtLogin = tray.controller.startAtLoginAction();
    int requests = 0;
    QObject::connect(&tray.controller, &StatusBarController::startAtLoginToggleRequested,
                     [&] { ++requests; });
    EXPECT_TRUE(startAtLogin->isCheckable());
    EXPECT_FALSE(startAtLogin->isChecked());

    // Choosing it asks; the mark waits for the launch-at-login state.
    startAtLogin->trigger();
    EXPECT_EQ(requests, 1);
    EXPECT_FALSE(startAtLogin->isChecked());

    tray.controller.setStartAtLoginChecked(true);
    EXPECT_TRUE(startAtLogin->isChecked());
    startAtLogin->trigger();
    EXPECT_EQ(requests, 2);
    EXPECT_TRUE(startAtLogin->isChecked());
}

TEST(MenuIcon, DrawsADarkQuillWithALightRimAtTraySizes)
{
    const QIcon icon = menuIcon();
    ASSERT_FALSE(icon.isNull());
    for (int size : {16, 22, 24}) {
        const QImage image = icon.pixmap(QSize(size, size), 1.0).toImage();
        ASSERT_EQ(image.size(), QSize(size, size));
        int dark = 0, light = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.alpha() < 200)
                    continue;
                (pixel.lightness() < 80 ? dark : light) += 1;
            }
        }
        // Enough of both tones to read on a light panel and on a dark one.
        EXPECT_GT(dark, size * size / 10) << size;
        EXPECT_GT(light, size) << size;
    }
}

TEST(TrayFallback, WithoutATrayHostTheSettingsWindowOpensAndTheLogSaysWhy)
{
    test::LogCapture log;
    int opened = 0;
    EXPECT_FALSE(openSettingsIfNoTrayHost([] { return true; }, [&] { ++opened; }));
    EXPECT_EQ(opened, 0);
    EXPECT_TRUE(log.lines().isEmpty());

    EXPECT_TRUE(openSettingsIfNoTrayHost([] { return false; }, [&] { ++opened; }));
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(log.lines(),
              QStringList{"[StatusBarController] No system tray is available; opening the "
                          "settings window so that Veloquill can be reached."});
}
