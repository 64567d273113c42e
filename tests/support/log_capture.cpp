#include "support/log_capture.h"

#include <algorithm>
#include <iterator>

namespace veloquill::test {

LogCapture::LogCapture()
{
    m_previous = setLogRedirect([this](const QString& line) { m_lines.append(line); });
}

LogCapture::~LogCapture()
{
    setLogRedirect(std::move(m_previous));
}

QStringList LogCapture::linesStartingWith(const QString& prefix) const
{
    QStringList out;
    std::copy_if(m_lines.begin(), m_lines.end(), std::back_inserter(out),
                 [&](const QString& line) { return line.startsWith(prefix); });
    return out;
}

} // namespace veloquill::test
