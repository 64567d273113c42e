#include "views/plain_text.h"

#include <QLabel>

namespace veloquill {

QLabel* makePlainTextLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    return label;
}

QString literalButtonText(const QString& text)
{
    QString literal = text;
    return literal.replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace veloquill
