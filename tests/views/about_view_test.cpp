#include "support/qt_printers.h"
#include "views/about_view.h"
#include "views/plain_text.h"

#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

using namespace veloquill;

TEST(AboutView, FixedSizePageWhoseLinkRowsOpenTheirDestinationWhereverClicked)
{
    QList<QUrl> opened;
    AboutView view([&](const QUrl& url) { opened.append(url); });
    EXPECT_EQ(view.minimumSize(), QSize(500, 600));
    EXPECT_EQ(view.maximumSize(), QSize(500, 600));
    EXPECT_EQ(view.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QStringList texts;
    for (const QLabel* label : view.findChildren<QLabel*>())
        texts.append(label->text());
    for (const char* text : {"About Veloquill", "Follow My Journey",
                             "Built with determination, passion, and assistive technology"})
        EXPECT_TRUE(texts.contains(text)) << text;

    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    ASSERT_EQ(view.linkRows().size(), 2u);
    for (LinkRow* row : view.linkRows()) {
        EXPECT_EQ(row->destination().scheme(), "https");
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

TEST(PlainText, NamesShowExactlyAsWrittenNeitherAsMarkupNorAsShortcuts)
{
    for (const QString name : {"<b>x</b> %1 %n", "Foot & Head Mouse"}) {
        SCOPED_TRACE(name.toStdString());
        const std::unique_ptr<QLabel> label(makePlainTextLabel(name));
        EXPECT_EQ(label->text(), name);
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        // As rich text the tags would vanish and the label would be narrower than the name.
        EXPECT_GE(label->sizeHint().width(), label->fontMetrics().horizontalAdvance(name));
        const QRadioButton button(literalButtonText(name));
        EXPECT_TRUE(QKeySequence::mnemonic(button.text()).isEmpty());
        EXPECT_EQ(button.text(), QString(name).replace("&", "&&"));
    }
}
