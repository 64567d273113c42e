// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/no_tray_footer.h"

#include "views/target_size.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace veloquill {

NoTrayFooter::NoTrayFooter(QWidget* startAtLogin, std::function<void()> openAbout,
                           std::function<void()> quit, QWidget* parent)
    : QWidget(parent),
      m_notice(new QLabel(
          tr("Veloquill keeps running and applies your settings. To open this window again, "
             "start Veloquill again (for example from the application menu). To quit, choose "
             "Quit Veloquill."))),
      m_closeWindow(new QPushButton(tr("Close window")))
{
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    m_notice->setTextFormat(Qt::PlainText);
    m_notice->setWordWrap(true);
    m_notice->hide();
    m_closeWindow->hide();
    // Read out with the button that takes the keyboard when the notice shows.
    m_closeWindow->setAccessibleDescription(m_notice->text());
    auto* about = new QPushButton(tr("About Veloquill"));
    auto* quitButton = new QPushButton(tr("Quit Veloquill"));
    connect(about, &QPushButton::clicked, this, std::move(openAbout));
    connect(quitButton, &QPushButton::clicked, this, std::move(quit));
    connect(m_closeWindow, &QPushButton::clicked, this, [this] { window()->close(); });

    auto* row = new QHBoxLayout;
    row->addWidget(startAtLogin);
    row->addStretch(1);
    row->addWidget(about);
    row->addWidget(m_closeWindow);
    row->addWidget(quitButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 0, 12, 8);
    layout->addWidget(line);
    layout->addWidget(m_notice);
    layout->addLayout(row);
    for (QAbstractButton* button : findChildren<QAbstractButton*>())
        button->setMinimumHeight(kMinimumTargetSize);
}

void NoTrayFooter::showCloseNotice()
{
    m_notice->show();
    m_closeWindow->show();
    m_closeWindow->setFocus();
}

} // namespace veloquill
