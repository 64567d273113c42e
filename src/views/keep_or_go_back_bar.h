// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QFrame>

class QLabel;
class QPushButton;
class QShortcut;

namespace veloquill {

class KeepOrGoBack;

// Shown while a big change waits to be kept: says how long until the previous settings come
// back and offers Keep and Go back. Escape anywhere in the window, and closing the window, go
// back meanwhile.
class KeepOrGoBackBar : public QFrame
{
    Q_OBJECT

public:
    explicit KeepOrGoBackBar(KeepOrGoBack& model, QWidget* parent = nullptr);

    QLabel* message() const { return m_message; }
    QPushButton* keepButton() const { return m_keep; }
    QPushButton* goBackButton() const { return m_goBack; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showAsking(bool asking);
    void showSecondsLeft(int seconds);

    KeepOrGoBack& m_model;
    QLabel* m_message = nullptr;
    QPushButton* m_keep = nullptr;
    QPushButton* m_goBack = nullptr;
    QShortcut* m_escape = nullptr;
};

} // namespace veloquill
