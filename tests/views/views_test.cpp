// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The screens the windows show, apart from the device controls.
#include "support/qt_printers.h"
#include "views/about_view.h"
#include "views/help_button.h"
#include "views/permission_view.h"
#include "views/pointer_controls_form.h"
#include "views/target_size.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <functional>

using namespace veloquill;

namespace {
// A help button on screen, as beside a slider.
struct ShownHelpButton
{
    explicit ShownHelpButton(const QString& text) : button(new HelpButton("Pointer speed", text))
    {
        auto* layout = new QHBoxLayout(&host);
        layout->addWidget(new QLabel("Pointer speed"));
        layout->addWidget(button);
        host.show();
    }
    QWidget host;
    HelpButton* button;
};
} // namespace

// Its size is checked on screen by the end-to-end test.
TEST(AboutView, ShowsItsFactsAndLinkRowsOpenTheirDestinationWhereverClicked)
{
    const AboutFacts facts{"9.8.7", "X and Y", "Some Licence (SL-1.0)",
                           QUrl("https://example.org/home"), QUrl("https://example.org/bugs")};
    QList<QUrl> opened;
    AboutView view(facts, [&](const QUrl& url) { opened.append(url); });
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QStringList shown;
    for (const QLabel* label : view.findChildren<QLabel*>())
        shown.append(label->text());
    for (const char* text : {"Version 9.8.7", "Veloquill works in X and Y.",
                             "Free software under the Some Licence (SL-1.0)."})
        EXPECT_TRUE(shown.join('\n').contains(text)) << text;
    ASSERT_EQ(view.linkRows().size(), 5u); // the project's two, then three to read on
    EXPECT_EQ(view.linkRows()[0]->accessibleName(), "Homepage: example.org/home");
    EXPECT_EQ(view.linkRows()[1]->accessibleName(), "Report a problem: example.org/bugs");
    EXPECT_EQ(view.focusPolicy(), Qt::NoFocus) << "the page is no Tab stop, its links are";
    for (LinkRow* row : view.linkRows()) {
        EXPECT_GE(row->height(), 44);
        view.ensureWidgetVisible(row);
        // Through the window, as a real click arrives: on the label and on the trailing arrow.
        for (const QLabel* part : row->findChildren<QLabel*>()) {
            opened.clear();
            QTest::mouseClick(view.windowHandle(), Qt::LeftButton, {},
                              part->mapTo(&view, part->rect().center()));
            EXPECT_EQ(opened, QList<QUrl>{row->destination()}) << part->text().toStdString();
        }
    }
}

// (The end-to-end accessibility test reads it as a dialog, closes it with Escape and sees the
// focus come back to the button.)
TEST(HelpButton, ItsPanelIsAFocusedScrollingDialogOfPlainTextThatCloseOrAClickElsewhereCloses)
{
    ShownHelpButton acceleration(QStringList(5, accelerationHelpText()).join("\n\n"));
    ShownHelpButton speed(speedHelpText());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&speed.host));
    QTextDocument tooltip;
    tooltip.setHtml(speed.button->toolTip());
    EXPECT_EQ(tooltip.toPlainText().split('\n', Qt::SkipEmptyParts),
              speedHelpText().split('\n', Qt::SkipEmptyParts));
    QTest::mouseClick(speed.button, Qt::LeftButton);
    ASSERT_TRUE(speed.button->isShowingHelp());
    EXPECT_EQ(acceleration.host.findChild<HelpPopover*>(), nullptr);
    const QPointer<HelpPopover> panel = speed.host.findChild<HelpPopover*>();
    EXPECT_EQ(panel->textLabel()->text(), speedHelpText());
    EXPECT_EQ(panel->textLabel()->textFormat(), Qt::PlainText);
    const auto focusedOn = [](const QWidget* widget) {
        return QTest::qWaitFor([&] { return QApplication::focusWidget() == widget; });
    };

    // A 44 px Close button, and a click elsewhere that only closes it: the check box under
    // that click stays as it was, the "?" leaves it closed. Neither covers the button's row.
    auto* box = new QCheckBox("Disable pointer acceleration");
    speed.host.layout()->addWidget(box);
    const std::vector<std::pair<const char*, std::function<void()>>> closings = {
        {"Close", [&] { QTest::mouseClick(panel->closeButton(), Qt::LeftButton); }},
        {"outside", [&] { QTest::mouseClick(box, Qt::LeftButton); }},
        {"the ?", [&] { QTest::mouseClick(speed.button, Qt::LeftButton); }},
        {"deactivated", [&] { speed.host.activateWindow(); }},
    };
    for (const auto& [name, close] : closings) {
        SCOPED_TRACE(name);
        if (!speed.button->isShowingHelp())
            speed.button->click();
        ASSERT_TRUE(focusedOn(panel->textLabel()));
        EXPECT_GE(panel->closeButton()->height(), 44);
        EXPECT_FALSE(panel->frameGeometry().intersects(
            QRect(speed.host.mapToGlobal(QPoint()), speed.host.size())));
        close();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !panel->isVisible(); }));
        EXPECT_FALSE(box->isChecked() || speed.button->isShowingHelp());
    }
    speed.button->click();
    EXPECT_EQ(speed.host.findChildren<HelpPopover*>(), QList<HelpPopover*>{panel}) << "one panel";

    // Lines wrap within the panel; only a text longer than it scrolls.
    acceleration.button->click();
    for (const HelpPopover* shown : {panel.data(), acceleration.host.findChild<HelpPopover*>()}) {
        const QScrollArea* area = shown->scrollArea();
        EXPECT_LE(shown->textLabel()->geometry().right(), area->viewport()->width() - 16);
        EXPECT_EQ(area->verticalScrollBar()->maximum() > 0, shown != panel);
    }
    // Rebuilding the screen that holds the button closes its panel.
    delete speed.button;
    EXPECT_TRUE(panel.isNull());
}

// Where none starts, a note says where to look instead.
TEST(PermissionView, ItsButtonStartsTheRunningDesktopsMouseSettingsFirstThenTheFirstThatStarts)
{
    // MATE's own program is installed but does not start.
    QStringList installed{"lxqt-config-input", "xfce4-mouse-settings", "mate-mouse-properties"};
    QStringList started;
    const DesktopPrograms mate{[&](const QString& program) {
                                   return installed.contains(program) ? "/usr/bin/" + program
                                                                      : QString();
                               },
                               [&](const QString& path, const QStringList& arguments) {
                                   started.append((QStringList{path} + arguments).join(' '));
                                   return !path.endsWith("mate-mouse-properties");
                               },
                               "ubuntu:mate"};
    PermissionView view(ControlUnavailableReason::WaylandSession, mate);
    view.openSettingsButton()->click();
    EXPECT_EQ(started,
              (QStringList{"/usr/bin/mate-mouse-properties", "/usr/bin/xfce4-mouse-settings"}));
    EXPECT_TRUE(view.unavailableNote()->isHidden());

    installed.clear();
    view.openSettingsButton()->click();
    EXPECT_FALSE(view.unavailableNote()->isHidden());
}

TEST(PermissionView, SaysWhatThisSessionLacksInPlainWrappedTextOverAWideCentredButton)
{
    using Reason = ControlUnavailableReason;
    QStringList titles;
    for (const Reason reason :
         {Reason::WaylandSession, Reason::NoXInput22, Reason::DisplayLost,
          Reason::GnomeSettingsMissing, Reason::KWinUnreachable, Reason::SwayUnreachable}) {
        SCOPED_TRACE(int(reason));
        PermissionView view(reason);
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
        titles.append(texts.value(0));
        EXPECT_EQ(texts.size(), 3) << "a title, what the session lacks and what to do";
        QPushButton* button = view.openSettingsButton();
        const QWidget* panel = button->parentWidget();
        const QMargins margins = panel->layout()->contentsMargins();
        EXPECT_EQ(button->width(),
                  panel->contentsRect().width() - margins.left() - margins.right());
        EXPECT_NEAR(button->mapTo(&view, button->rect().center()).x(), 290, 1) << "not centred";
        EXPECT_GE(button->height(), kMinimumTargetSize);
        // An X11 desktop session can always control its pointer devices, so the end-to-end
        // test never sees this view: its picture for the documentation is taken here.
        if (reason == Reason::WaylandSession &&
            qEnvironmentVariable("VELOQUILL_UPDATE_SCREENSHOTS") == "1") {
            EXPECT_TRUE(
                view.grab().save(VELOQUILL_SOURCE_DIR "/docs/screenshots/permission-view.png"));
        }
    }
    titles.removeDuplicates();
    EXPECT_EQ(titles.size(), 6) << "each reason is told apart: " << titles.join(", ").toStdString();
}
