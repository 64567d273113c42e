// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QAbstractButton>
#include <QPointer>
#include <QString>

namespace veloquill {

class HelpPopover;

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

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showHelp();

    QString m_title;
    QString m_helpText;
    QPointer<HelpPopover> m_popover;
};

} // namespace veloquill
