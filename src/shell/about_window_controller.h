// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "views/about_view.h"

#include <QObject>
#include <QPointer>
#include <QSize>

namespace veloquill {

class ShellWindow;

// The version, desktops, licence and addresses this build was made with.
AboutFacts aboutFacts();

// Owns the one About window: made on demand, brought forward unchanged while open,
// forgotten when closed.
class AboutWindowController : public QObject
{
    Q_OBJECT

public:
    static constexpr QSize kWindowSize{500, 600};

    explicit AboutWindowController(QObject* parent = nullptr);
    ~AboutWindowController() override;

    static AboutWindowController& shared();

    void bringToFront();

    ShellWindow* aboutWindow() const;

private:
    void windowWillClose();

    QPointer<ShellWindow> m_aboutWindow;
    bool m_windowReleased = true;
};

} // namespace veloquill
