// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QAbstractButton>
#include <QUrl>

#include <functional>

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

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QUrl m_destination;
    UrlOpener m_opener;
};

} // namespace veloquill
