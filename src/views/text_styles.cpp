// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "views/text_styles.h"

#include "views/contrast.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
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

// Keeps a widget's text in the secondary colour of what it is shown on: chosen again when it
// moves to another parent and when the palette it inherits changes.
class SecondaryText : public QObject
{
public:
    explicit SecondaryText(QWidget* widget) : QObject(widget), m_widget(widget)
    {
        widget->installEventFilter(this);
        apply();
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        // The widget's own change of palette comes back here too; choosing the same colour
        // again leaves the palette as it is and sends nothing.
        if (event->type() == QEvent::ParentChange || event->type() == QEvent::PaletteChange)
            apply();
        return false;
    }

private:
    void apply()
    {
        const QWidget* parent = m_widget->parentWidget();
        QPalette surroundings = parent ? parent->palette() : QApplication::palette(m_widget);
        surroundings.setCurrentColorGroup(QPalette::Active);
        const QColor text = secondaryTextColor(surroundings);
        // Only the roles set here are the widget's own; disabled text stays the desktop's.
        QPalette own;
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            own.setColor(group, QPalette::WindowText, text);
            own.setColor(group, QPalette::Text, text);
        }
        m_widget->setPalette(own);
    }

    QWidget* m_widget;
};
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
    new SecondaryText(widget);
}

QLabel* makeWrappedLabel(const QString& text)
{
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

QLabel* makeNote(const QString& text)
{
    QLabel* label = makeWrappedLabel(text);
    makeSecondary(label);
    return label;
}

} // namespace veloquill
