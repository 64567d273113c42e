// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QFrame>
#include <QPointer>

class QLabel;
class QPushButton;
class QComboBox;

namespace veloquill {

class KeepOrGoBack;
class VeloquillPointerSettingsState;

// Shown while a big change waits to be kept: names what changed and how long until the
// previous settings come back, and offers Keep (Alt+K), Go back (Alt+G or Escape) and More
// time (Alt+M), each one key from wherever the keyboard is. Any pointer or keyboard contact
// with it starts the countdown again. Hidden, it keeps its room, so nothing below it moves
// when it comes and goes. Screen readers get it as an alert. Closing the window goes back.
class KeepOrGoBackBar : public QFrame
{
    Q_OBJECT

public:
    KeepOrGoBackBar(KeepOrGoBack& model, VeloquillPointerSettingsState& state,
                    QWidget* parent = nullptr);

    QLabel* message() const { return m_message; }
    QPushButton* keepButton() const { return m_keep; }
    QPushButton* goBackButton() const { return m_goBack; }
    QPushButton* moreTimeButton() const { return m_moreTime; }
    // How long a question waits (15–60 s), stored.
    QComboBox* answerTime() const { return m_answerTime; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showAsking(bool asking);
    void showSecondsLeft(int seconds);
    void showAnswerTime(int seconds);

    // The program's question outlives the bar; in tests it may not.
    QPointer<KeepOrGoBack> m_model;
    QLabel* m_message = nullptr;
    QPushButton* m_keep = nullptr;
    QPushButton* m_goBack = nullptr;
    QPushButton* m_moreTime = nullptr;
    QComboBox* m_answerTime = nullptr;
};

} // namespace veloquill
