// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QWidget>

#include <functional>

class QCheckBox;

namespace veloquill {

class StartAtLogin;

// A ready-made "start at login" switch: a check box bound both ways to a StartAtLogin. Its
// mark is read from the file system when it is made and again
// after every change, so a refused change puts the mark back.
//
// The label comes one of four ways:
//   StartAtLoginToggle(makeLabel)   any widget, built once by makeLabel, beside the box
//   StartAtLoginToggle("key")       a string literal is a translation key, looked up with
//                                   QCoreApplication::translate("StartAtLoginToggle", key)
//   StartAtLoginToggle(QString)     a QString is shown as it is
//   StartAtLoginToggle()            the plain text "Start at login"
// Each also takes the parent, and the service to bind to (the program's shared one when
// null). Pass a parent typed as QWidget*: a bare nullptr would fit several of them.
class StartAtLoginToggle : public QWidget
{
    Q_OBJECT

public:
    using LabelBuilder = std::function<QWidget*()>;

    explicit StartAtLoginToggle(const LabelBuilder& makeLabel, QWidget* parent = nullptr,
                                StartAtLogin* startAtLogin = nullptr);
    explicit StartAtLoginToggle(const char* translationKey, QWidget* parent = nullptr,
                                StartAtLogin* startAtLogin = nullptr);
    explicit StartAtLoginToggle(const QString& text, QWidget* parent = nullptr,
                                StartAtLogin* startAtLogin = nullptr);
    explicit StartAtLoginToggle(QWidget* parent = nullptr, StartAtLogin* startAtLogin = nullptr);

private:
    StartAtLoginToggle(QWidget* parent, StartAtLogin* startAtLogin, const QString& text,
                       QWidget* labelWidget);
    void showState();

    StartAtLogin& m_startAtLogin;
    QCheckBox* m_switch;
};

} // namespace veloquill
