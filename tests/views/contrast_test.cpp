// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Readable colours and a visible keyboard focus, in the light standard palette and dark ones.
#include "views/contrast.h"
#include "views/help_button.h"
#include "views/text_styles.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyleFactory>
#include <QStyleOptionSlider>
#include <QTest>
#include <QVBoxLayout>

#include <array>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

using namespace veloquill;

namespace {
struct NamedPalette
{
    const char* name;
    QPalette palette;
    bool ringIsHighlight; // else the ring falls back to WindowText
};

// Window, WindowText, Base, Text, Button, ButtonText, Highlight, HighlightedText.
QPalette paletteOf(const QString& colours)
{
    QPalette palette;
    const QStringList names = colours.split(' ');
    for (int i = 0; i < names.size(); ++i)
        palette.setColor(std::array{QPalette::Window, QPalette::WindowText, QPalette::Base,
                                    QPalette::Text, QPalette::Button, QPalette::ButtonText,
                                    QPalette::Highlight, QPalette::HighlightedText}[i],
                         QColor(names[i]));
    return palette;
}

std::vector<NamedPalette> palettes()
{
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create("Fusion"));
    return {
        {"Fusion light", fusion->standardPalette(), true},
        {"dark", paletteOf("#353535 #ffffff #2a2a2a #ffffff #353535 #ffffff #2a82da #000000"),
         true},
        {"dark, dim highlight",
         paletteOf("#1e1e1e #d4d4d4 #252526 #d4d4d4 #333333 #f0f0f0 #264f78 #ffffff"), false},
        {"high contrast",
         paletteOf("#000000 #ffffff #000000 #ffffff #000000 #ffffff #ffff00 #000000"), true},
        {"low contrast",
         paletteOf("#777777 #000000 #808080 #000000 #777777 #000000 #ffff00 #000000"), true},
    };
}

class ContrastTest : public ::testing::Test
{
protected:
    void TearDown() override { QApplication::setPalette(m_original); }
    const QPalette m_original = QApplication::palette();
};
} // namespace

// Ratios as WCAG measures them. The desktop's own palette is not set on the application: an
// explicit palette is resolved afresh for each widget, so every window opened would leave style
// pixmaps of its own in the process-wide cache.
TEST_F(ContrastTest, ChosenColoursReachTheirRatiosAndFollowEveryPaletteSet)
{
    EXPECT_NEAR(contrastRatio(Qt::black, Qt::white), 21.0, 1e-9);
    EXPECT_NEAR(contrastRatio(QColor("#767676"), Qt::white), 4.54, 0.01);
    QWidget host;
    auto* caption = new QLabel("(0–20)");
    makeSecondary(caption);
    (new QVBoxLayout(&host))->addWidget(caption);
    using P = QPalette;
    auto entries = palettes();
    entries.push_back({"the desktop's own", QPalette(), true});
    for (const auto& [name, palette, ringIsHighlight] : entries) {
        SCOPED_TRACE(name);
        const QColor window = palette.color(P::Window);
        const QColor secondary = secondaryTextColor(palette);
        EXPECT_GE(contrastRatio(secondary, palette.color(P::Base)), kTextContrast);
        // Dimmed only where the palette's own text is short of high contrast.
        EXPECT_EQ(secondary == palette.color(P::WindowText), isHighContrast(palette));

        const QColor ring = focusRingColor(palette);
        EXPECT_EQ(ring, palette.color(ringIsHighlight ? P::Highlight : P::WindowText));
        EXPECT_GE(contrastRatio(ring, window), kGraphicContrast);

        const QColor border = controlBorderColor(palette);
        for (P::ColorRole background : {P::Window, P::Base, P::Button})
            EXPECT_GE(contrastRatio(border, palette.color(background)), kGraphicContrast);
        EXPECT_EQ(border == palette.color(P::WindowText), isHighContrast(palette));

        QApplication::setPalette(palette);
        QCoreApplication::processEvents();
        const QPalette now = QApplication::palette();
        EXPECT_GE(contrastRatio(caption->palette().color(P::WindowText), now.color(P::Window)),
                  kTextContrast);
        for (auto [text, background] :
             {std::pair{P::WindowText, P::Window}, {P::Text, P::Base}, {P::ButtonText, P::Button}})
            EXPECT_GE(contrastRatio(now.color(P::Disabled, text), now.color(P::Active, background)),
                      kGraphicContrast);
    }
    auto* button = new QPushButton("Quit", &host);
    EXPECT_EQ(button->palette().cacheKey(), QApplication::palette().cacheKey());
    QPalette themed = palettes().front().palette;
    themed.setColor(QPalette::Disabled, QPalette::WindowText, QColor("#6a6a6a"));
    EXPECT_EQ(disabledTextColor(themed, QPalette::WindowText), QColor("#6a6a6a"))
        << "a readable disabled colour of the theme is kept";
}

TEST_F(ContrastTest, SliderHandleAndIndicatorsAreLargeEnough)
{
    const QStyle* style = QApplication::style();
    QStyleOptionSlider option;
    option.rect = QRect(0, 0, 200, 44);
    option.orientation = Qt::Horizontal;
    option.maximum = 20;
    option.sliderPosition = 10;
    const QRect handle = style->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle);
    EXPECT_GE(handle.width(), 24);
    EXPECT_GE(handle.height(), 24);

    // A check box's whole 44 px row takes the click, not only its mark and label.
    QCheckBox row("Start at login");
    row.setMinimumHeight(44);
    row.resize(row.sizeHint());
    QTest::mouseClick(&row, Qt::LeftButton, {}, QPoint(row.width() - 2, 42));
    EXPECT_TRUE(row.isChecked());
}

// Indicators drawn without words (outlines of marks, the slider's groove and handle, the "?")
// show, as painted with smoothing, at least a line's worth of pixels at 3:1 from the window.
TEST_F(ContrastTest, FocusedControlsShowATwoPixelRingAndDrawnIndicatorsReachThreeToOne)
{
    // A control with its words, and without them (none for the line edit and the button).
    const std::vector<std::pair<const char*, std::function<QWidget*(const QString&)>>> controls = {
        {"check box", [](const QString& text) { return new QCheckBox(text); }},
        {"radio button", [](const QString& text) { return new QRadioButton(text); }},
        {"push button", [](const QString& text) { return new QPushButton(text); }},
        {"line edit", [](const QString& text) { return new QLineEdit(text); }},
        {"slider", [](const QString&) { return new QSlider(Qt::Horizontal); }},
        {"help button",
         [](const QString&) { return new HelpButton("Pointer speed", "How fast it moves."); }},
    };
    for (const auto& entry : palettes()) {
        QApplication::setPalette(entry.palette);
        const QColor ring = focusRingColor(entry.palette);
        const QColor window = entry.palette.color(QPalette::Window);
        for (const auto& [name, make] : controls) {
            SCOPED_TRACE(std::string(entry.name) + ", " + name);
            QWidget focusHost;
            auto* control = make("Start at login");
            (new QVBoxLayout(&focusHost))->addWidget(control);
            focusHost.show();
            focusHost.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&focusHost));
            control->setFocus();
            ASSERT_TRUE(control->hasFocus());
            const QImage focused = control->grab().toImage();
            for (int x : {0, 1, focused.width() - 2, focused.width() - 1})
                EXPECT_EQ(QColor(focused.pixel(x, focused.height() / 2)), ring) << "column " << x;

            if (QString(name).contains("line edit") || QString(name).contains("push"))
                continue;
            QWidget host;
            (new QVBoxLayout(&host))->addWidget(make({}));
            host.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
            const QImage image = host.grab().toImage();
            int standingOut = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    standingOut += contrastRatio(image.pixelColor(x, y), window) >= 3.0;
            EXPECT_GE(standingOut, 20);
        }
    }
}
