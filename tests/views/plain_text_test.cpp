#include "support/qt_printers.h"
#include "views/plain_text.h"

#include <QKeySequence>
#include <QLabel>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <memory>

using namespace veloquill;

TEST(PlainText, DeviceNamesShowExactlyAsWritten)
{
    const QString name = QStringLiteral("<b>x</b> %1 %n");
    const std::unique_ptr<QLabel> label(makePlainTextLabel(name));
    EXPECT_EQ(label->text(), name);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    // As rich text the tags would vanish and the label would be narrower than the name.
    EXPECT_GE(label->sizeHint().width(), label->fontMetrics().horizontalAdvance(name));
}

TEST(PlainText, AmpersandInANameIsShownNotTakenAsAShortcut)
{
    const QString name = QStringLiteral("Foot & Head Mouse");
    EXPECT_FALSE(QKeySequence::mnemonic(name).isEmpty()); // what a raw name would do
    const QRadioButton button(literalButtonText(name));
    EXPECT_TRUE(QKeySequence::mnemonic(button.text()).isEmpty());
    EXPECT_EQ(button.text(), QStringLiteral("Foot && Head Mouse"));
    EXPECT_EQ(literalButtonText(QStringLiteral("<b>x</b> %1 %n")),
              QStringLiteral("<b>x</b> %1 %n"));
}
