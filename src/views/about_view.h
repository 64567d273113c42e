// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "views/link_row.h"

#include <QScrollArea>
#include <QSize>
#include <QUrl>

#include <vector>

namespace veloquill {

// What the About page says of the program as built.
struct AboutFacts
{
    QString version;
    QString sessions; // every desktop it works in, as a sentence goes on after "works in"
    QString license;  // the licence as it is named
    QUrl homepage;
    QUrl bugTracker;
};

// The About page: what the program is, who it is for, its version and licence, and where to
// find it, report a problem or read more. Static: it observes nothing and changes nothing;
// its links go to the user's browser.
class AboutView : public QScrollArea
{
    Q_OBJECT

public:
    static constexpr QSize kPageSize{500, 600};

    // Opens links with the opener, or without one with the desktop's handler.
    explicit AboutView(const AboutFacts& facts, UrlOpener opener = {}, QWidget* parent = nullptr);

    // The homepage and the bug tracker first, then the reading.
    const std::vector<LinkRow*>& linkRows() const { return m_linkRows; }

private:
    std::vector<LinkRow*> m_linkRows;
};

} // namespace veloquill
