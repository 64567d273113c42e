#include "support/qt_printers.h"
#include "views/help_button.h"
#include "views/help_popover.h"
#include "views/help_texts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>

#include <gtest/gtest.h>

using namespace veloquill;

namespace {
// A help button on screen, as beside a slider.
struct ShownHelpButton
{
    explicit ShownHelpButton(const QString& text) : button(new HelpButton(text))
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

TEST(HelpButton, ItsPanelIsAFixedScrollingPageOfThePlainTextItsTooltipTheSameLines)
{
    const QString longText = QStringList(5, accelerationHelpText()).join("\n\n");
    for (const QString& text :
         {speedHelpText(), trackingSpeedHelpText(), accelerationHelpText(), longText}) {
        SCOPED_TRACE(text.left(20).toStdString());
        ShownHelpButton shown(text);
        QTextDocument tooltip;
        tooltip.setHtml(shown.button->toolTip());
        EXPECT_EQ(tooltip.toPlainText().split('\n', Qt::SkipEmptyParts),
                  text.split('\n', Qt::SkipEmptyParts));

        shown.button->click();
        const HelpPopover* panel = shown.button->popover();
        ASSERT_NE(panel, nullptr);
        const QScrollArea* area = panel->scrollArea();
        EXPECT_EQ(area->size(), QSize(450, 250));
        EXPECT_EQ(panel->textLabel()->text(), text);
        EXPECT_EQ(panel->textLabel()->textFormat(), Qt::PlainText);
        EXPECT_EQ(panel->textLabel()->font().pixelSize(), 13);
        // Lines wrap within the panel; only a text longer than it scrolls.
        EXPECT_EQ(area->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        EXPECT_LE(panel->textLabel()->geometry().right(), area->viewport()->width() - 16);
        EXPECT_EQ(area->verticalScrollBar()->maximum() > 0, text == longText);
    }
}

TEST(HelpButton, ClickingOpensItsOwnPanelOnlyEscapeOrTheButtonGoingClosesIt)
{
    ShownHelpButton speed(speedHelpText());
    ShownHelpButton acceleration(accelerationHelpText());
    EXPECT_FALSE(speed.button->isShowingHelp());
    QTest::mouseClick(speed.button, Qt::LeftButton);
    ASSERT_TRUE(speed.button->isShowingHelp());
    EXPECT_FALSE(acceleration.button->isShowingHelp());
    EXPECT_EQ(acceleration.button->popover(), nullptr);

    const QPointer<HelpPopover> panel = speed.button->popover();
    speed.button->click();
    EXPECT_TRUE(speed.button->isShowingHelp());
    EXPECT_EQ(speed.button->popover(), panel);
    QTest::keyClick(panel, Qt::Key_Escape);
    EXPECT_FALSE(speed.button->isShowingHelp());

    // Rebuilding the screen that holds the button closes its panel.
    speed.button->click();
    delete speed.button;
    EXPECT_TRUE(panel.isNull());
}
