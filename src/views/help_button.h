// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QAbstractButton>
#include <QFrame>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QTimer>

class QLabel;
class QPushButton;
class QScrollArea;

namespace veloquill {

// The panel a help button opens: its text in a fixed-size scrolling area and a Close button,
// in a small window of its own under the button's row (never over that row's controls), so
// that screen readers find it as a dialog and the keyboard can read it. It takes the focus
// while open and closes on Close, Escape or a click elsewhere; that click only closes it and
// acts on nothing under it. Close and Escape give the focus back to the button.
class HelpPopover : public QFrame
{
    Q_OBJECT

public:
    static constexpr QSize kPanelSize{450, 250};

    // Named as the button that opens it; `parent` is the window the panel stays with.
    HelpPopover(const QString& name, const QString& helpText, QWidget* parent);

    // Places the panel under the anchor's row (above it where there is no room below), kept
    // whole on the anchor's screen, and gives it the focus.
    void showBeside(QWidget* anchor);
    // Hides it and gives the focus back to the button.
    void dismiss();

    QScrollArea* scrollArea() const { return m_scrollArea; }
    QLabel* textLabel() const { return m_text; }
    QPushButton* closeButton() const { return m_close; }

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QScrollArea* m_scrollArea = nullptr;
    QLabel* m_text = nullptr;
    QPushButton* m_close = nullptr;
    QPointer<QWidget> m_anchor;
    // Set while the press that closed it is swallowed, until its release.
    bool m_swallowingClick = false;
    // After closing on losing the activation, a press elsewhere may still be on its way.
    QTimer m_pressGrace;
};

// The question mark beside a slider, about the setting titled `title`: its text as a tooltip
// on hover, and in a scrolling panel on click. The symbol is small, the target around it
// full size. The panel belongs to the button, so rebuilding the screen that holds the
// button closes it.
class HelpButton : public QAbstractButton
{
    Q_OBJECT

public:
    HelpButton(const QString& title, const QString& helpText, QWidget* parent = nullptr);
    ~HelpButton() override;

    // Whether the panel is open. Clicking only ever opens it; a click elsewhere or Escape
    // closes it.
    bool isShowingHelp() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showHelp();

    QPointer<HelpPopover> m_popover;
};

} // namespace veloquill
