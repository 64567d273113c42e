#pragma once

#include <mutex>

namespace veloquill {

// Whether observation has processed its initial devices; readable from any thread.
class InitializationFlag
{
public:
    bool get() const
    {
        std::lock_guard lock(m_mutex);
        return m_value;
    }
    void set(bool value)
    {
        std::lock_guard lock(m_mutex);
        m_value = value;
    }

private:
    mutable std::mutex m_mutex;
    bool m_value = false;
};

} // namespace veloquill
