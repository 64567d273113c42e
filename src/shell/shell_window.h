#pragma once

#include <QSize>
#include <QWidget>

namespace veloquill {

// A window of the program (settings, About). Its controller owns it and hears when the
// user closes it; its content can be replaced whole.
class ShellWindow : public QWidget
{
    Q_OBJECT

public:
    ShellWindow(const QString& title, QSize contentSize);

    // Installs new content; the previous content and all its state go away with it.
    void setContent(QWidget* content);
    QWidget* content() const { return m_content; }

    // Un-minimises the window, shows it above the others and gives it the keyboard.
    void bringForward();
    // Shown and not minimised.
    bool isOnScreen() const;

    // Whether any of the program's windows is on screen (the tray menu is not a window).
    static bool anyOnScreen();

Q_SIGNALS:
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void centreOnScreen();

    QWidget* m_content = nullptr;
};

} // namespace veloquill
