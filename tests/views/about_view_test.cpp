#include "support/qt_printers.h"
#include "views/about_view.h"

#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

using namespace veloquill;

TEST(AboutView, IsAFixedSizePageThatScrolls)
{
    AboutView view([](const QUrl&) {});
    EXPECT_EQ(view.minimumSize(), QSize(500, 600));
    EXPECT_EQ(view.maximumSize(), QSize(500, 600));
    EXPECT_EQ(view.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

    QStringList texts;
    for (const QLabel* label : view.findChildren<QLabel*>())
        texts.append(label->text());
    for (const char* text :
         {"About Veloquill", "Built with determination, passion, and assistive technology",
          "Follow My Journey"})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(text))) << text;
}

TEST(AboutView, EveryPartOfALinkRowOpensItsDestination)
{
    QList<QUrl> opened;
    AboutView view([&](const QUrl& url) { opened.append(url); });
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    ASSERT_EQ(view.linkRows().size(), 2u);

    for (LinkRow* row : view.linkRows()) {
        EXPECT_TRUE(row->destination().isValid());
        EXPECT_EQ(row->destination().scheme(), QStringLiteral("https"));
        view.ensureWidgetVisible(row);
        // Through the window, as a real click arrives: on the label and on the trailing arrow.
        for (const QLabel* part : row->findChildren<QLabel*>()) {
            opened.clear();
            const QPoint centre = part->mapTo(&view, part->rect().center());
            QTest::mouseClick(view.windowHandle(), Qt::LeftButton, {}, centre);
            EXPECT_EQ(opened, QList<QUrl>{row->destination()}) << part->text().toStdString();
        }
    }
}
