// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "views/about_view.h"

#include <QObject>
#include <QPointer>
#include <QSize>

#include <functional>

class QWidget;

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
    using ContentFactory = std::function<QWidget*()>;

    static constexpr QSize kWindowSize{500, 600};

    // The content is the About page unless a test gives another.
    explicit AboutWindowController(ContentFactory content = {}, QObject* parent = nullptr);
    ~AboutWindowController() override;

    static AboutWindowController& shared();

    void bringToFront();

    ShellWindow* aboutWindow() const;

private:
    void windowWillClose();

    ContentFactory m_content;
    QPointer<ShellWindow> m_aboutWindow;
    bool m_windowReleased = true;
};

} // namespace veloquill
