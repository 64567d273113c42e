// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

namespace veloquill {

// What the tray menu offers, under the settings window's content when there is no tray:
// "Start at login", "About Veloquill" and "Quit Veloquill". Before the window first closes
// it says how to reach Veloquill again, with "Close window" beside Quit.
class NoTrayFooter : public QWidget
{
    Q_OBJECT

public:
    NoTrayFooter(QWidget* startAtLogin, std::function<void()> openAbout, std::function<void()> quit,
                 QWidget* parent = nullptr);

    // Shows the notice and puts the keyboard on "Close window", which closes the window.
    void showCloseNotice();

private:
    QLabel* m_notice;
    QPushButton* m_closeWindow;
};

} // namespace veloquill
