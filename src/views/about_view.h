// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QAbstractButton>
#include <QScrollArea>
#include <QSize>
#include <QUrl>

#include <functional>
#include <vector>

namespace veloquill {

// Hands a link to the desktop (the user's browser); whether it managed is not observed.
using UrlOpener = std::function<void(const QUrl& url)>;

// One link of the About page: symbol, label and an outward arrow. The whole row is the
// click target, and it can be reached and activated from the keyboard.
class LinkRow : public QAbstractButton
{
    Q_OBJECT

public:
    LinkRow(const QString& symbolResource, const QString& label, const QUrl& destination,
            UrlOpener opener, QWidget* parent = nullptr);

    QUrl destination() const { return m_destination; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QUrl m_destination;
    UrlOpener m_opener;
};

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
