#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace veloquill {

// Text that comes from outside the program (device names, the preferred name) reaches the
// screen only through these: never read as rich text, a mnemonic or a format string.

// The text as one isolated run of its own direction (U+2068 … U+2069): a right-to-left
// override inside a name cannot reorder what is shown after it.
QString isolatedText(const QString& text);

// A label that shows the text exactly as given, isolated.
QLabel* makePlainTextLabel(const QString& text, QWidget* parent = nullptr);

// Button texts take '&' as a shortcut marker; this keeps every '&' visible. Isolated too.
QString literalButtonText(const QString& text);

} // namespace veloquill
