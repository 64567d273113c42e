#pragma once

#include <QFrame>
#include <QSize>

class QLabel;
class QScrollArea;

namespace veloquill {

// The panel a help button opens: its text in a fixed-size scrolling area. It closes like a
// menu, on a click elsewhere or Escape.
class HelpPopover : public QFrame
{
    Q_OBJECT

public:
    static constexpr QSize kPanelSize{450, 250};

    HelpPopover(const QString& helpText, QWidget* parent);

    // Places the panel against the anchor's trailing edge, kept on the anchor's screen.
    void showBeside(const QWidget* anchor);

    QScrollArea* scrollArea() const { return m_scrollArea; }
    QLabel* textLabel() const { return m_text; }

private:
    QScrollArea* m_scrollArea = nullptr;
    QLabel* m_text = nullptr;
};

} // namespace veloquill
