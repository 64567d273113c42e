#include "views/text_styles.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

namespace veloquill {

namespace {
// Sizes are given against a 13-unit body text.
QFont scaled(qreal size, QFont::Weight weight = QFont::Normal)
{
    QFont font = QApplication::font();
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * size / 13.0);
    else
        font.setPixelSize(qRound(font.pixelSize() * size / 13.0));
    font.setWeight(weight);
    return font;
}
} // namespace

QFont largeTitleFont()
{
    return scaled(26, QFont::Bold);
}
QFont titleFont()
{
    return scaled(22);
}
QFont headlineFont()
{
    return scaled(13, QFont::Bold);
}
QFont subheadlineFont()
{
    return scaled(11);
}
QFont captionFont()
{
    return scaled(10);
}

void makeSecondary(QWidget* widget)
{
    QPalette palette = widget->palette();
    QColor text = palette.color(QPalette::WindowText);
    text.setAlphaF(0.6f);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    widget->setPalette(palette);
}

} // namespace veloquill
