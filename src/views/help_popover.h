// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QFrame>
#include <QPointer>
#include <QSize>

class QLabel;
class QScrollArea;

namespace veloquill {

// The panel a help button opens: its text in a fixed-size scrolling area, in a small window
// of its own beside the button's window, so that screen readers find it as a dialog and the
// keyboard can read it. It takes the focus while open and closes like a menu, on Escape or
// a click elsewhere; Escape gives the focus back to the button.
class HelpPopover : public QFrame
{
    Q_OBJECT

public:
    static constexpr QSize kPanelSize{450, 250};

    // `parent` is the window the panel stays with.
    HelpPopover(const QString& title, const QString& helpText, QWidget* parent);

    // Places the panel against the anchor's trailing edge, kept whole on the anchor's screen,
    // and gives it the focus.
    void showBeside(QWidget* anchor);

    QScrollArea* scrollArea() const { return m_scrollArea; }
    QLabel* textLabel() const { return m_text; }

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QScrollArea* m_scrollArea = nullptr;
    QLabel* m_text = nullptr;
    QPointer<QWidget> m_anchor;
};

} // namespace veloquill
