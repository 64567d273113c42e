// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPointer>
#include <QSize>
#include <QWidget>

#include <functional>

class QScrollArea;

namespace veloquill {

// A window of the program (settings, About). Its controller owns it and hears when the
// user closes it; its content can be replaced whole. The content scrolls when it does not fit
// (large text), the window never opens larger than its screen's available area, and the
// keyboard works in it: Enter presses the focused button, Escape and Ctrl+W close it, Ctrl+Q
// quits, Page Up and Down scroll content that does not fit (where no control takes them). Screen
// readers see it as a frame named by its title.
class ShellWindow : public QWidget
{
    Q_OBJECT

public:
    // Decides whether a close goes through; it may show something in the window instead.
    using CloseGuard = std::function<bool()>;

    ShellWindow(const QString& title, QSize contentSize);

    // Installs new content; the previous content and all its state go away with it. The
    // window grows to the content's minimum size, as far as the screen allows, when content is
    // installed and when it is shown; never by itself while on screen.
    void setContent(QWidget* content);
    QWidget* content() const;
    // A row under the content that stays in view while the content scrolls; the window owns it.
    void setFooter(QWidget* footer);
    QWidget* footer() const { return m_footer; }
    void setCloseGuard(CloseGuard guard) { m_closeGuard = std::move(guard); }

    // Un-minimises the window, shows it above the others and gives it the keyboard.
    void bringForward();
    // Shown and not minimised.
    bool isOnScreen() const;

    // Whether any of the program's windows is on screen (the tray menu is not a window).
    static bool anyOnScreen();

    // What Ctrl+Q, the windows' Quit buttons, the tray's Quit and termination signals do: the
    // application's exit, the normal way out that restores the devices, unless replaced
    // (tests must not end their application).
    static void setQuitAction(std::function<void()> quit);
    static void quit();

Q_SIGNALS:
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void centreOnScreen();
    void growToFitContent();

    QScrollArea* m_scrollArea;
    QWidget* m_footer = nullptr;
    CloseGuard m_closeGuard;
};

// The one window of a kind (settings, About), made on demand: at first and after each close.
// A closed window goes away whole, so the next one starts afresh, centred at its default size.
class OnDemandWindow
{
public:
    // Brings the window forward, made by `make` when none is open. Logs `failure` and returns
    // null when the window went away without being closed.
    ShellWindow* bringForward(const std::function<ShellWindow*()>& make, const QString& failure);
    ShellWindow* window() const { return m_window.data(); }

private:
    QPointer<ShellWindow> m_window;
    bool m_released = true;
};

} // namespace veloquill
