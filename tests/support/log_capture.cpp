#include "support/log_capture.h"

namespace veloquill::test {

LogCapture::LogCapture()
{
    m_previous = setLogRedirect([this](const QString& line) { m_lines.append(line); });
}

LogCapture::~LogCapture()
{
    setLogRedirect(std::move(m_previous));
}

QStringList LogCapture::lines() const
{
    return m_lines;
}

bool LogCapture::contains(const QString& line) const
{
    return m_lines.contains(line);
}

QStringList LogCapture::linesStartingWith(const QString& prefix) const
{
    QStringList out;
    for (const QString& line : m_lines) {
        if (line.startsWith(prefix))
            out.append(line);
    }
    return out;
}

void LogCapture::clear()
{
    m_lines.clear();
}

} // namespace veloquill::test
