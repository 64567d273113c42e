// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QWidget>

class QCheckBox;

namespace veloquill {

class StartAtLogin;

// A "Start at login" check box bound both ways to a StartAtLogin (the program's shared one
// when null). Its mark is read from the file system when it is made and again after every
// change, so a refused change puts the mark back.
class StartAtLoginToggle : public QWidget
{
    Q_OBJECT

public:
    explicit StartAtLoginToggle(QWidget* parent = nullptr, StartAtLogin* startAtLogin = nullptr);

private:
    void showState();

    StartAtLogin& m_startAtLogin;
    QCheckBox* m_switch;
};

} // namespace veloquill
