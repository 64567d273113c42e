#include "support/qt_printers.h"
#include "views/permission_view.h"

#include <QLabel>
#include <QLayout>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace veloquill;

namespace {
// Which settings programs this pretend desktop has, and what was started.
struct FakeDesktop
{
    explicit FakeDesktop(QString desktop = {}, QStringList installedPrograms = {},
                         QStringList programsRefusingToStart = {})
        : currentDesktop(std::move(desktop)), installed(std::move(installedPrograms)),
          refusingToStart(std::move(programsRefusingToStart))
    {}

    QString currentDesktop;
    QStringList installed;
    QStringList refusingToStart;
    QStringList started; // "program arguments..."

    DesktopSettingsLauncher launcher()
    {
        return DesktopSettingsLauncher(
            [this](const QString& program) {
                return installed.contains(program) ? QStringLiteral("/usr/bin/") + program
                                                   : QString();
            },
            [this](const QString& path, const QStringList& arguments) {
                started.append((QStringList{path} + arguments).join(QLatin1Char(' ')));
                return !refusingToStart.contains(path.section(QLatin1Char('/'), -1));
            },
            currentDesktop);
    }
};

QStringList programsOf(const std::vector<DesktopSettingsCommand>& commands)
{
    QStringList programs;
    for (const DesktopSettingsCommand& command : commands)
        programs.append(command.program);
    return programs;
}
} // namespace

TEST(DesktopSettingsLauncher, RunningDesktopsSettingsAreTriedFirst)
{
    FakeDesktop ubuntu(QStringLiteral("ubuntu:GNOME"));
    EXPECT_EQ(programsOf(ubuntu.launcher().candidates()),
              (QStringList{"gnome-control-center", "systemsettings", "xfce4-mouse-settings",
                           "mate-mouse-properties", "lxqt-config-input", "cinnamon-settings"}));

    FakeDesktop unknown(QStringLiteral("Hyprland"));
    EXPECT_EQ(programsOf(unknown.launcher().candidates()),
              programsOf(DesktopSettingsLauncher::knownCommands()));
}

TEST(DesktopSettingsLauncher, StartsTheFirstInstalledProgramThatStarts)
{
    FakeDesktop desktop(QStringLiteral("KDE"),
                        {"xfce4-mouse-settings", "mate-mouse-properties", "systemsettings"},
                        {"systemsettings"});
    const auto opened = desktop.launcher().open();
    ASSERT_TRUE(opened.has_value());
    EXPECT_EQ(opened->program, QStringLiteral("xfce4-mouse-settings"));
    EXPECT_EQ(desktop.started,
              (QStringList{"/usr/bin/systemsettings kcm_mouse", "/usr/bin/xfce4-mouse-settings"}));

    FakeDesktop bare(QStringLiteral("KDE"));
    EXPECT_FALSE(bare.launcher().open().has_value());
    EXPECT_TRUE(bare.started.isEmpty());
}

TEST(PermissionView, ExplainsWhyInItsOwnWordsWithAFullWidthButton)
{
    FakeDesktop desktop;
    PermissionView view(desktop.launcher());
    view.resize(580, 480);
    view.show();

    QStringList texts;
    for (const QLabel* label : view.findChildren<QLabel*>()) {
        if (label->text().isEmpty())
            continue; // the symbol
        texts.append(label->text());
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        // Wrapped text gets its full height; nothing is cut off below.
        if (label->isVisible()) {
            EXPECT_GE(label->height(), label->heightForWidth(label->width()))
                << label->text().toStdString();
        }
    }
    EXPECT_TRUE(texts.contains("Accessibility Permission Required"));
    EXPECT_TRUE(texts.contains("This application needs Accessibility permission to function "
                               "correctly."));
    EXPECT_TRUE(texts.contains("Veloquill needs to control your mouse pointer. To enable this "
                               "functionality, please grant Accessibility permission in System "
                               "Settings."));

    const QPushButton* button = view.openSettingsButton();
    EXPECT_EQ(button->text(), QStringLiteral("Open System Settings"));
    const QWidget* panel = button->parentWidget();
    EXPECT_EQ(panel->width(), 400);
    EXPECT_EQ(button->width(), panel->contentsRect().width() -
                                   panel->layout()->contentsMargins().left() -
                                   panel->layout()->contentsMargins().right());
}

TEST(PermissionView, ButtonOpensTheMouseSettingsOrSaysItCannot)
{
    FakeDesktop gnome(QStringLiteral("GNOME"), {"gnome-control-center"});
    PermissionView view(gnome.launcher());
    view.show();
    view.openSettingsButton()->click();
    EXPECT_EQ(gnome.started, QStringList{"/usr/bin/gnome-control-center mouse"});
    EXPECT_FALSE(view.unavailableNote()->isVisible());

    FakeDesktop bare(QStringLiteral("GNOME"));
    PermissionView lost(bare.launcher());
    lost.show();
    lost.openSettingsButton()->click();
    EXPECT_TRUE(lost.unavailableNote()->isVisible());
    EXPECT_TRUE(lost.unavailableNote()->text().contains(QStringLiteral("mouse or accessibility")));
}
