#pragma once

#include "views/link_row.h"

#include <QScrollArea>
#include <QSize>

#include <vector>

namespace veloquill {

// The About page: what the program is, who it is for, and where to read more. Static: it
// observes nothing and changes nothing; its links go to the user's browser.
class AboutView : public QScrollArea
{
    Q_OBJECT

public:
    static constexpr QSize kPageSize{500, 600};

    // Opens links with the desktop's handler.
    explicit AboutView(QWidget* parent = nullptr);
    explicit AboutView(UrlOpener opener, QWidget* parent = nullptr);

    const std::vector<LinkRow*>& linkRows() const { return m_linkRows; }

private:
    std::vector<LinkRow*> m_linkRows;
};

} // namespace veloquill
