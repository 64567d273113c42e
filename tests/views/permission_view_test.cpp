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
    QString currentDesktop;
    QStringList installed = {};
    QStringList refusingToStart = {};
    QStringList started = {}; // "path arguments..."

    DesktopSettingsLauncher launcher()
    {
        return DesktopSettingsLauncher(
            [this](const QString& program) {
                return installed.contains(program) ? "/usr/bin/" + program : QString();
            },
            [this](const QString& path, const QStringList& arguments) {
                started.append((QStringList{path} + arguments).join(' '));
                return !refusingToStart.contains(path.section('/', -1));
            },
            currentDesktop);
    }
};
} // namespace

TEST(DesktopSettingsLauncher, TriesTheRunningDesktopsSettingsFirstAndStartsTheFirstThatStarts)
{
    FakeDesktop ubuntu{"ubuntu:GNOME"};
    QStringList programs;
    for (const DesktopSettingsCommand& command : ubuntu.launcher().candidates())
        programs.append(command.program);
    EXPECT_EQ(programs,
              (QStringList{"gnome-control-center", "systemsettings", "xfce4-mouse-settings",
                           "mate-mouse-properties", "lxqt-config-input", "cinnamon-settings"}));
    FakeDesktop unknown{"Hyprland"};
    EXPECT_EQ(unknown.launcher().candidates(), DesktopSettingsLauncher::knownCommands());

    FakeDesktop kde{"KDE",
                    {"xfce4-mouse-settings", "mate-mouse-properties", "systemsettings"},
                    {"systemsettings"}};
    const auto opened = kde.launcher().open();
    ASSERT_TRUE(opened.has_value());
    EXPECT_EQ(opened->program, "xfce4-mouse-settings");
    EXPECT_EQ(kde.started,
              (QStringList{"/usr/bin/systemsettings kcm_mouse", "/usr/bin/xfce4-mouse-settings"}));
}

TEST(PermissionView, ExplainsInPlainWrappedTextAndItsButtonOpensTheSettingsOrSaysItCannot)
{
    for (const bool installed : {true, false}) {
        SCOPED_TRACE(installed);
        FakeDesktop gnome{"GNOME", installed ? QStringList{"gnome-control-center"} : QStringList{}};
        PermissionView view(gnome.launcher());
        view.resize(580, 480);
        view.show();
        QStringList texts;
        for (const QLabel* label : view.findChildren<QLabel*>()) {
            if (label->text().isEmpty() || !label->isVisible())
                continue; // the symbol, the note for a failed start
            texts.append(label->text());
            EXPECT_EQ(label->textFormat(), Qt::PlainText);
            // Wrapped text gets its full height; nothing is cut off below.
            EXPECT_GE(label->height(), label->heightForWidth(label->width()));
        }
        EXPECT_EQ(texts, QStringList({"Accessibility Permission Required",
                                      "This application needs Accessibility permission to "
                                      "function correctly.",
                                      "Veloquill needs to control your mouse pointer. To enable "
                                      "this functionality, please grant Accessibility permission "
                                      "in System Settings."}));
        QPushButton* button = view.openSettingsButton();
        EXPECT_EQ(button->text(), "Open System Settings");
        const QWidget* panel = button->parentWidget();
        EXPECT_EQ(panel->width(), 400);
        const QMargins margins = panel->layout()->contentsMargins();
        EXPECT_EQ(button->width(),
                  panel->contentsRect().width() - margins.left() - margins.right());

        button->click();
        EXPECT_EQ(gnome.started.isEmpty(), !installed);
        EXPECT_EQ(view.unavailableNote()->isVisible(), !installed);
        if (installed)
            EXPECT_EQ(gnome.started, QStringList{"/usr/bin/gnome-control-center mouse"});
        else
            EXPECT_TRUE(view.unavailableNote()->text().contains("mouse or accessibility"));
    }
}
