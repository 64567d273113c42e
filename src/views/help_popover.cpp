#include "views/help_popover.h"

#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

namespace veloquill {

namespace {
constexpr int kInset = 16;
constexpr int kSpacing = 8;
constexpr int kTextPixelSize = 13;
constexpr int kGapToAnchor = 6;
} // namespace

HelpPopover::HelpPopover(const QString& helpText, QWidget* parent) : QFrame(parent, Qt::Popup)
{
    setFrameShape(QFrame::Box);
    setLineWidth(1);

    m_text = new QLabel;
    m_text->setTextFormat(Qt::PlainText);
    m_text->setText(helpText);
    m_text->setWordWrap(true);
    m_text->setAlignment(Qt::AlignLeading | Qt::AlignTop);
    m_text->setForegroundRole(QPalette::Text);
    QFont font = m_text->font();
    font.setPixelSize(kTextPixelSize);
    m_text->setFont(font);

    auto* page = new QWidget;
    page->setBackgroundRole(QPalette::Base);
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(kInset, kInset, kInset, kInset);
    pageLayout->setSpacing(kSpacing);
    pageLayout->addWidget(m_text);
    pageLayout->addStretch();

    // Long texts scroll; lines wrap at the panel's width and are never cut off at the side.
    m_scrollArea = new QScrollArea;
    m_scrollArea->setFixedSize(kPanelSize);
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setBackgroundRole(QPalette::Base);
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setWidget(page);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(lineWidth(), lineWidth(), lineWidth(), lineWidth());
    layout->addWidget(m_scrollArea);
}

void HelpPopover::showBeside(const QWidget* anchor)
{
    adjustSize();
    const bool leftToRight = anchor->layoutDirection() == Qt::LeftToRight;
    const QPoint middle(0, anchor->height() / 2);
    const QPoint trailing =
        anchor->mapToGlobal(middle + QPoint(leftToRight ? anchor->width() : 0, 0));
    const QPoint leading =
        anchor->mapToGlobal(middle + QPoint(leftToRight ? 0 : anchor->width(), 0));

    QRect frame(QPoint(), size());
    const auto besideTrailing = [&] {
        frame.moveCenter(trailing);
        frame.moveLeft(leftToRight ? trailing.x() + kGapToAnchor
                                   : trailing.x() - kGapToAnchor - frame.width());
    };
    const auto besideLeading = [&] {
        frame.moveCenter(leading);
        frame.moveLeft(leftToRight ? leading.x() - kGapToAnchor - frame.width()
                                   : leading.x() + kGapToAnchor);
    };
    besideTrailing();
    if (const QScreen* screen = anchor->screen()) {
        const QRect available = screen->availableGeometry();
        if (frame.left() < available.left() || frame.right() > available.right())
            besideLeading();
        // Whatever side it ends up on, it stays whole on the screen.
        frame.moveLeft(qBound(available.left(), frame.left(), available.right() - frame.width()));
        frame.moveTop(qBound(available.top(), frame.top(), available.bottom() - frame.height()));
    }
    move(frame.topLeft());
    show();
}

} // namespace veloquill
