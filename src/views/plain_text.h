#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace veloquill {

// Text that comes from outside the program (device names, the preferred name) reaches the
// screen only through these: never read as rich text, a mnemonic or a format string.

// A label that shows the text exactly as given.
QLabel* makePlainTextLabel(const QString& text, QWidget* parent = nullptr);

// Button texts take '&' as a shortcut marker; this keeps every '&' visible.
QString literalButtonText(const QString& text);

} // namespace veloquill
