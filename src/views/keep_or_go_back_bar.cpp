// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "views/keep_or_go_back_bar.h"

#include "settings/keep_or_go_back.h"
#include "settings/veloquill_pointer_settings_state.h"
#include "views/accessible_style.h"
#include "views/target_size.h"
#include "views/text_styles.h"

#include <QAccessible>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace veloquill {

namespace {
QPushButton* makeButton(const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    // Enter must not decide for the user: it presses only the focused button.
    button->setAutoDefault(false);
    button->setMinimumSize(kMinimumTarget);
    return button;
}
} // namespace

KeepOrGoBackBar::KeepOrGoBackBar(KeepOrGoBack& model, VeloquillPointerSettingsState& state,
                                 QWidget* parent)
    : QFrame(parent), m_model(&model)
{
    installAccessibleRole<KeepOrGoBackBar, QAccessible::AlertMessage>();
    setFrameShape(QFrame::StyledPanel);
    QSizePolicy policy = sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    setSizePolicy(policy);

    m_message = makeWrappedLabel();
    m_keep = makeButton(tr("Keep"), this);
    m_goBack = makeButton(tr("Go back"), this);
    m_moreTime = makeButton(tr("More time"), this);
    // One large target; arrows of a spin box would be too small to hit.
    m_answerTime = new QComboBox(this);
    for (int seconds : {15, 20, 30, 45, 60})
        m_answerTime->addItem(tr("%Ln s", nullptr, seconds), seconds);
    m_answerTime->setMinimumSize(kMinimumTarget);
    m_answerTime->setToolTip(tr("How long a question like this waits for an answer"));
    auto* answerLabel = new QLabel(tr("Time to answer:"), this);
    answerLabel->setBuddy(m_answerTime);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_keep);
    buttons->addWidget(m_goBack);
    buttons->addWidget(m_moreTime);
    buttons->addStretch(1);
    auto* answer = new QHBoxLayout;
    answer->addWidget(answerLabel);
    answer->addWidget(m_answerTime);
    answer->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_message);
    layout->addLayout(buttons);
    layout->addLayout(answer);

    // The keys the message names, wherever the keyboard is in the window. The window closes
    // on Escape otherwise; while asking, Escape takes the safe way.
    const auto shortcut = [this](QKeyCombination key, void (KeepOrGoBack::*answer)()) {
        auto* made = new QShortcut(QKeySequence(key), this);
        made->setContext(Qt::WindowShortcut);
        connect(made, &QShortcut::activated, m_model, answer);
    };
    shortcut(Qt::Key_Escape, &KeepOrGoBack::goBack);
    shortcut(Qt::ALT | Qt::Key_G, &KeepOrGoBack::goBack);
    shortcut(Qt::ALT | Qt::Key_K, &KeepOrGoBack::keep);
    shortcut(Qt::ALT | Qt::Key_M, &KeepOrGoBack::moreTime);

    // Touching the question in any way means the user is answering it.
    for (QWidget* part : {static_cast<QWidget*>(this), static_cast<QWidget*>(m_keep),
                          static_cast<QWidget*>(m_goBack), static_cast<QWidget*>(m_moreTime),
                          static_cast<QWidget*>(m_answerTime)})
        part->installEventFilter(this);

    connect(m_keep, &QPushButton::clicked, &model, &KeepOrGoBack::keep);
    connect(m_goBack, &QPushButton::clicked, &model, &KeepOrGoBack::goBack);
    connect(m_moreTime, &QPushButton::clicked, &model, &KeepOrGoBack::moreTime);
    connect(&model, &KeepOrGoBack::askingChanged, this, &KeepOrGoBackBar::showAsking);
    connect(&model, &KeepOrGoBack::secondsLeftChanged, this, &KeepOrGoBackBar::showSecondsLeft);
    connect(m_answerTime, &QComboBox::activated, this, [this, &state](int index) {
        state.setAnswerSeconds(m_answerTime->itemData(index).toInt());
    });
    connect(&state, &VeloquillPointerSettingsState::answerSecondsChanged, this,
            &KeepOrGoBackBar::showAnswerTime);
    showAnswerTime(state.answerSeconds());
    showSecondsLeft(model.secondsLeft());
    showAsking(model.isAsking());
}

bool KeepOrGoBackBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window() && event->type() == QEvent::Close) {
        if (m_model)
            m_model->goBack();
    } else if (watched != window()) {
        switch (event->type()) {
        case QEvent::Enter:
        case QEvent::MouseButtonPress:
        case QEvent::FocusIn:
        case QEvent::Wheel:
            if (m_model)
                m_model->moreTime();
            break;
        default:
            break;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void KeepOrGoBackBar::showAsking(bool asking)
{
    for (QShortcut* shortcut : findChildren<QShortcut*>(Qt::FindDirectChildrenOnly))
        shortcut->setEnabled(asking);
    setVisible(asking);
    // Closing the window leaves no way to keep the change; it goes back at once. The bar is in
    // its window by the time it asks (installing again changes nothing).
    if (asking && window() != this)
        window()->installEventFilter(this);
    if (asking) {
        showSecondsLeft(m_model->secondsLeft());
        QAccessibleEvent alert(this, QAccessible::Alert);
        QAccessible::updateAccessibility(&alert);
    }
}

void KeepOrGoBackBar::showSecondsLeft(int seconds)
{
    const bool asking = m_model && m_model->isAsking();
    const QString changed =
        asking ? m_model->askedAbout()
               // The longest question, so the room kept for it is room enough for every one.
               : KeepOrGoBack::tr("Disable pointer acceleration");
    m_message->setText(tr("%1 changed. Keep it? Going back in %Ln s. "
                          "Keep: Alt+K. Go back: Esc or Alt+G. More time: Alt+M.",
                          nullptr, seconds)
                           .arg(changed));
    // A reader hears the whole question when it appears, and again only when it starts over.
    if (!asking || seconds == m_model->countdownSeconds())
        setAccessibleName(m_message->text());
}

void KeepOrGoBackBar::showAnswerTime(int seconds)
{
    // A stored length between the offered ones shows as the next longer one.
    int index = m_answerTime->count() - 1;
    while (index > 0 && m_answerTime->itemData(index - 1).toInt() >= seconds)
        --index;
    m_answerTime->setCurrentIndex(index);
    m_answerTime->setAccessibleName(tr("Time to answer, %Ln s", nullptr, seconds));
}

} // namespace veloquill
