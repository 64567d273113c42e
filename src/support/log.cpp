#include "support/log.h"

#include <cstdio>
#include <mutex>

namespace veloquill {

namespace {
std::mutex& logMutex()
{
    static std::mutex mutex;
    return mutex;
}

LogRedirect& redirectSlot()
{
    static LogRedirect redirect;
    return redirect;
}
} // namespace

void logLine(const QString& line)
{
    std::lock_guard lock(logMutex());
    if (const auto& redirect = redirectSlot()) {
        redirect(line);
        return;
    }
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

LogRedirect setLogRedirect(LogRedirect redirect)
{
    std::lock_guard lock(logMutex());
    std::swap(redirectSlot(), redirect);
    return redirect;
}

} // namespace veloquill
