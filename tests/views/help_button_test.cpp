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
        layout->addWidget(new QLabel(QStringLiteral("Pointer speed")));
        layout->addWidget(button);
        host.show();
    }
    QWidget host;
    HelpButton* button;
};

QStringList nonEmptyLines(const QString& text)
{
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
} // namespace

TEST(HelpTexts, KeepTheirExactWordingShapeAndLength)
{
    const struct
    {
        QString text;
        qsizetype bytes;
        qsizetype characters;
    } texts[] = {{accelerationHelpText(), 596, 590},
                 {speedHelpText(), 491, 485},
                 {trackingSpeedHelpText(), 459, 453}};
    for (const auto& expected : texts) {
        EXPECT_EQ(expected.text.toUtf8().size(), expected.bytes);
        EXPECT_EQ(expected.text.size(), expected.characters);
        // A paragraph, three bullets, a paragraph: blank lines between them.
        const QStringList lines = expected.text.split(QLatin1Char('\n'));
        ASSERT_EQ(lines.size(), 7);
        EXPECT_TRUE(lines[1].isEmpty());
        EXPECT_TRUE(lines[5].isEmpty());
        for (int bullet = 2; bullet <= 4; ++bullet)
            EXPECT_TRUE(lines[bullet].startsWith(QStringLiteral("• ")))
                << lines[bullet].toStdString();
    }
    EXPECT_TRUE(speedHelpText().startsWith(
        QStringLiteral("Pointer Speed sets the base sensitivity of your mouse cursor.\n\n")));
    EXPECT_TRUE(trackingSpeedHelpText().contains(QStringLiteral("direct 1:1 mapping")));
    EXPECT_TRUE(accelerationHelpText().contains(QStringLiteral("(10-20)")));
}

TEST(HelpButton, TooltipShowsTheHelpTextWithItsLineBreaks)
{
    const HelpButton button(accelerationHelpText());
    QTextDocument tooltip;
    tooltip.setHtml(button.toolTip());
    EXPECT_EQ(nonEmptyLines(tooltip.toPlainText()), nonEmptyLines(accelerationHelpText()));
}

TEST(HelpButton, ClickingOpensThePanelAndNeverClosesIt)
{
    ShownHelpButton shown(speedHelpText());
    EXPECT_FALSE(shown.button->isShowingHelp());

    QTest::mouseClick(shown.button, Qt::LeftButton);
    ASSERT_TRUE(shown.button->isShowingHelp());
    HelpPopover* panel = shown.button->popover();

    shown.button->click();
    EXPECT_TRUE(shown.button->isShowingHelp());
    EXPECT_EQ(shown.button->popover(), panel);

    // Escape dismisses it, like a click elsewhere.
    QTest::keyClick(panel, Qt::Key_Escape);
    EXPECT_FALSE(shown.button->isShowingHelp());
}

TEST(HelpButton, PanelIsAFixedScrollingPageOfThePlainText)
{
    ShownHelpButton shown(trackingSpeedHelpText());
    shown.button->click();
    const HelpPopover* panel = shown.button->popover();
    ASSERT_NE(panel, nullptr);

    EXPECT_EQ(panel->scrollArea()->size(), QSize(450, 250));
    EXPECT_EQ(panel->textLabel()->text(), trackingSpeedHelpText());
    EXPECT_EQ(panel->textLabel()->textFormat(), Qt::PlainText);
    EXPECT_EQ(panel->textLabel()->font().pixelSize(), 13);
    // Lines wrap within the panel rather than running off its side.
    EXPECT_EQ(panel->scrollArea()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_LE(panel->textLabel()->geometry().right(),
              panel->scrollArea()->viewport()->width() - 16);
}

TEST(HelpButton, TextLongerThanThePanelScrolls)
{
    const QString longText = QStringList(5, accelerationHelpText()).join(QStringLiteral("\n\n"));
    ShownHelpButton shown(longText);
    shown.button->click();
    const QScrollArea* area = shown.button->popover()->scrollArea();
    EXPECT_EQ(area->size(), QSize(450, 250));
    EXPECT_GT(area->verticalScrollBar()->maximum(), 0);
}

TEST(HelpButton, EachButtonHasItsOwnPanelThatGoesWithIt)
{
    ShownHelpButton speed(speedHelpText());
    ShownHelpButton acceleration(accelerationHelpText());
    speed.button->click();
    EXPECT_TRUE(speed.button->isShowingHelp());
    EXPECT_FALSE(acceleration.button->isShowingHelp());
    EXPECT_EQ(acceleration.button->popover(), nullptr);

    // Rebuilding the screen that holds the button closes its panel.
    const QPointer<HelpPopover> panel = speed.button->popover();
    delete speed.button;
    EXPECT_TRUE(panel.isNull());
}
