// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "views/keep_or_go_back_bar.h"

#include "settings/keep_or_go_back.h"
#include "views/target_size.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>

namespace veloquill {

namespace {
QPushButton* makeButton(const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    // Enter must not decide for the user: it presses only the focused button.
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setMinimumSize(kMinimumTarget);
    button->setAccessibleName(text);
    return button;
}
} // namespace

KeepOrGoBackBar::KeepOrGoBackBar(KeepOrGoBack& model, QWidget* parent)
    : QFrame(parent), m_model(model)
{
    setFrameShape(QFrame::StyledPanel);
    m_message = new QLabel(this);
    m_message->setTextFormat(Qt::PlainText);
    m_message->setWordWrap(true);
    m_keep = makeButton(tr("Keep"), this);
    m_goBack = makeButton(tr("Go back"), this);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_message, 1);
    layout->addWidget(m_keep);
    layout->addWidget(m_goBack);

    // The window closes on Escape otherwise; while asking, Escape takes the safe way.
    m_escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    m_escape->setContext(Qt::WindowShortcut);

    connect(m_keep, &QPushButton::clicked, &model, &KeepOrGoBack::keep);
    connect(m_goBack, &QPushButton::clicked, &model, &KeepOrGoBack::goBack);
    connect(m_escape, &QShortcut::activated, &model, &KeepOrGoBack::goBack);
    connect(&model, &KeepOrGoBack::askingChanged, this, &KeepOrGoBackBar::showAsking);
    connect(&model, &KeepOrGoBack::secondsLeftChanged, this, &KeepOrGoBackBar::showSecondsLeft);
    showSecondsLeft(model.secondsLeft());
    showAsking(model.isAsking());
}

bool KeepOrGoBackBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window() && event->type() == QEvent::Close)
        m_model.goBack();
    return QFrame::eventFilter(watched, event);
}

void KeepOrGoBackBar::showAsking(bool asking)
{
    m_escape->setEnabled(asking);
    setVisible(asking);
    // Closing the window leaves no way to keep the change; it goes back at once. The bar is in
    // its window by the time it asks (installing again changes nothing).
    if (asking && window() != this)
        window()->installEventFilter(this);
}

void KeepOrGoBackBar::showSecondsLeft(int seconds)
{
    m_message->setText(tr("Keep these settings? Going back in %1 s").arg(seconds));
}

} // namespace veloquill
