// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "views/about_view.h"

#include "views/svg_icon.h"
#include "views/target_size.h"
#include "views/text_styles.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QVBoxLayout>

#include <tuple>

namespace veloquill {

namespace {
constexpr int kLinkSymbolSize = 16;
constexpr int kLinkPadding = 4;
constexpr int kPagePadding = 24;
constexpr int kPageSpacing = 16;
constexpr int kBlockSpacing = 12;
constexpr int kTitleSpacing = 8;
constexpr int kTitleBottomPadding = 20;
constexpr int kCaptionTopPadding = 4;
constexpr int kTrailingSpace = 20;

const char* const kNarrative[] = {
    QT_TRANSLATE_NOOP(
        "veloquill::AboutView",
        "Veloquill sets how fast the mouse pointer moves, and how much it speeds up when you move "
        "quickly, separately for each pointing device connected to this computer."),
    QT_TRANSLATE_NOOP(
        "veloquill::AboutView",
        "It is made for people who steer the pointer with assistive hardware: head-tracking mice, "
        "trackballs, foot mice. One speed rarely suits them all. A head mouse may need a slow, "
        "steady pointer while the trackball beside it needs a quick one."),
    QT_TRANSLATE_NOOP(
        "veloquill::AboutView",
        "Veloquill remembers the settings of each device under that device's own identity and puts "
        "them back when it starts and whenever you choose the device again. A device whose name "
        "contains your preferred name can be chosen for you as soon as it is plugged in."),
    QT_TRANSLATE_NOOP(
        "veloquill::AboutView",
        "When Veloquill quits, it puts every device it changed back exactly as it found it, speed "
        "and acceleration alike, unless another program has changed it since. Should Veloquill end "
        "without quitting, \u201Cveloquill --restore\u201D puts them back from the record it keeps "
        "of what it changed."),
};

QLabel* textLabel(const QString& text, const QFont& font)
{
    QLabel* label = makeWrappedLabel(text);
    label->setFont(font);
    return label;
}

QFrame* divider()
{
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QWidget* titleBlock(const QString& version)
{
    auto* block = new QWidget;
    auto* layout = new QVBoxLayout(block);
    layout->setContentsMargins(0, 0, 0, kTitleBottomPadding);
    layout->setSpacing(kTitleSpacing);
    auto* title = textLabel(AboutView::tr("About Veloquill"), largeTitleFont());
    auto* versionLine = textLabel(AboutView::tr("Version %1").arg(version), headlineFont());
    auto* motto =
        textLabel(AboutView::tr("Built with determination, passion, and assistive technology"),
                  headlineFont());
    makeSecondary(motto);
    for (QLabel* label : {title, versionLine, motto}) {
        label->setAlignment(Qt::AlignHCenter);
        layout->addWidget(label);
    }
    return block;
}

QLayout* narrativeBlock(const QString& sessions)
{
    auto* layout = new QVBoxLayout;
    layout->setSpacing(kBlockSpacing);
    for (const char* paragraph : kNarrative)
        layout->addWidget(textLabel(AboutView::tr(paragraph), QApplication::font()));
    layout->addWidget(textLabel(AboutView::tr("Veloquill works in %1. It lives in the system "
                                              "tray and writes one plain line to its log for "
                                              "every change it makes, so what it did can "
                                              "always be checked.")
                                    .arg(sessions),
                                QApplication::font()));
    return layout;
}

QLabel* heading(const QString& text)
{
    QFont font = headlineFont();
    font.setWeight(QFont::DemiBold);
    return textLabel(text, font);
}

// An address as people would type it.
QString shortAddress(const QUrl& url)
{
    return url.toString(QUrl::RemoveScheme | QUrl::StripTrailingSlash).mid(2);
}
} // namespace

LinkRow::LinkRow(const QString& symbolResource, const QString& label, const QUrl& destination,
                 UrlOpener opener, QWidget* parent)
    : QAbstractButton(parent), m_destination(destination), m_opener(std::move(opener))
{
    auto* symbol = new QLabel;
    symbol->setPixmap(renderSvg(symbolResource, QSize(kLinkSymbolSize, kLinkSymbolSize)));
    auto* text = new QLabel;
    text->setTextFormat(Qt::PlainText);
    text->setText(label);
    // Away, in the direction the line reads.
    auto* arrow = new QLabel(isRightToLeft() ? QStringLiteral("↖") : QStringLiteral("↗"));
    arrow->setFont(captionFont());
    makeSecondary(arrow);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, kLinkPadding, 0, kLinkPadding);
    layout->addWidget(symbol);
    layout->addWidget(text);
    layout->addWidget(arrow);
    layout->addStretch();
    // Clicks anywhere on the row reach the row itself.
    for (QWidget* part :
         {static_cast<QWidget*>(symbol), static_cast<QWidget*>(text), static_cast<QWidget*>(arrow)})
        part->setAttribute(Qt::WA_TransparentForMouseEvents);

    setAccessibleName(label);
    setToolTip(destination.toString());
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(kMinimumTarget);
    connect(this, &QAbstractButton::clicked, this, [this] { m_opener(m_destination); });
}

void LinkRow::paintEvent(QPaintEvent*)
{
    // No bezel: the row looks like a line of text; only keyboard focus is drawn.
    if (!hasFocus())
        return;
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

AboutView::AboutView(const AboutFacts& facts, UrlOpener opener, QWidget* parent)
    : QScrollArea(parent)
{
    if (!opener)
        opener = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(kPagePadding, kPagePadding, kPagePadding, kPagePadding);
    layout->setSpacing(kPageSpacing);
    layout->addWidget(titleBlock(facts.version));
    layout->addWidget(divider());
    layout->addLayout(narrativeBlock(facts.sessions));
    layout->addWidget(divider());

    // Each block: a heading, its links and a caption.
    const auto block = [&](const QString& title,
                           std::initializer_list<std::tuple<const char*, QString, QUrl>> rows,
                           const QString& captionText) {
        auto* column = new QVBoxLayout;
        column->setSpacing(kBlockSpacing);
        column->addWidget(heading(title));
        for (const auto& [symbol, label, destination] : rows) {
            m_linkRows.push_back(new LinkRow(QStringLiteral(":/veloquill/views/") + symbol, label,
                                             destination, opener));
            column->addWidget(m_linkRows.back());
        }
        QLabel* caption = makeNote(captionText);
        caption->setFont(captionFont());
        caption->setContentsMargins(0, kCaptionTopPadding, 0, 0);
        column->addWidget(caption);
        layout->addLayout(column);
    };
    block(QStringLiteral("Veloquill"),
          {{"home.svg", tr("Homepage: %1").arg(shortAddress(facts.homepage)), facts.homepage},
           {"report.svg", tr("Report a problem: %1").arg(shortAddress(facts.bugTracker)),
            facts.bugTracker}},
          tr("Free software under the %1.").arg(facts.license));
    layout->addWidget(divider());
    block(tr("Follow My Journey"),
          {{"book.svg", tr("libinput: pointer acceleration"),
            QUrl(QStringLiteral("https://wayland.freedesktop.org/libinput/doc/latest/"
                                "pointer-acceleration.html"))},
           {"accessibility.svg", tr("W3C: How people with disabilities use the web"),
            QUrl(QStringLiteral("https://www.w3.org/WAI/people-use-web/"))},
           {"globe.svg", tr("X.Org: pointer acceleration"),
            QUrl(QStringLiteral("https://www.x.org/wiki/Development/Documentation/"
                                "PointerAcceleration/"))}},
          tr("Read on about pointer acceleration in libinput and the X server, and about the "
             "people who rely on assistive input."));

    layout->addSpacing(kTrailingSpace);
    layout->addStretch();

    // The page keeps its size; whatever does not fit scrolls.
    setFixedSize(kPageSize);
    setFrameShape(QFrame::NoFrame);
    // Its links are the Tab stops; Tab brings each into view.
    setFocusPolicy(Qt::NoFocus);
    setBackgroundRole(QPalette::Window);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(true);
    setWidget(page);
}

} // namespace veloquill
