#pragma once

#include <QAbstractButton>
#include <QString>

namespace veloquill {

class HelpPopover;

// The small question mark beside a slider: its text as a tooltip on hover, and in a
// scrolling panel on click. The panel belongs to the button, so rebuilding the screen that
// holds the button closes it.
class HelpButton : public QAbstractButton
{
    Q_OBJECT

public:
    explicit HelpButton(const QString& helpText, QWidget* parent = nullptr);

    QString helpText() const { return m_helpText; }
    // Whether the panel is open. Clicking only ever opens it; a click elsewhere or Escape
    // closes it.
    bool isShowingHelp() const;
    // Null until the button is first clicked.
    HelpPopover* popover() const { return m_popover; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showHelp();

    QString m_helpText;
    HelpPopover* m_popover = nullptr;
};

} // namespace veloquill
