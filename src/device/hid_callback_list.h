// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace veloquill {

// A registration with the HID event system. Destroying or resetting it ends the
// registration: its callback is not called from then on.
class HidRegistration
{
public:
    HidRegistration() = default;
    explicit HidRegistration(std::function<void()> end) : m_end(std::move(end)) {}
    HidRegistration(HidRegistration&& other) noexcept : m_end(std::exchange(other.m_end, {})) {}
    HidRegistration& operator=(HidRegistration&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_end = std::exchange(other.m_end, {});
        }
        return *this;
    }
    ~HidRegistration() { reset(); }

    explicit operator bool() const { return static_cast<bool>(m_end); }

    void reset()
    {
        if (const auto end = std::exchange(m_end, {}))
            end();
    }

private:
    std::function<void()> m_end;
};

template <typename Signature> class HidCallbackList;

// The callbacks registered with one object of a backend, and the registrations that end
// them. A walk calls the callbacks registered when it begins, skipping any whose
// registration ended meanwhile: a callback may end others, or destroy the list's owner.
template <typename... Args> class HidCallbackList<void(Args...)>
{
public:
    using Callback = std::function<void(Args...)>;

    HidCallbackList() = default;
    HidCallbackList(const HidCallbackList&) = delete;
    HidCallbackList& operator=(const HidCallbackList&) = delete;
    // Ends every registration, including for a walk under way.
    ~HidCallbackList() { m_entries->clear(); }

    [[nodiscard]] HidRegistration add(Callback callback)
    {
        const std::uint64_t id = m_nextID++;
        m_entries->push_back({id, std::make_shared<const Callback>(std::move(callback))});
        return HidRegistration([weakEntries = std::weak_ptr(m_entries), id] {
            if (const auto entries = weakEntries.lock())
                std::erase_if(*entries, [id](const Entry& entry) { return entry.id == id; });
        });
    }

    // Stops as soon as `wanted()` no longer holds (the owner was unscheduled, say).
    template <typename Wanted> void callWhile(Wanted wanted, Args... args) const
    {
        // From here on only locals: the owner may be gone after any call.
        const auto entries = m_entries;
        std::vector<std::uint64_t> ids;
        for (const Entry& entry : *entries)
            ids.push_back(entry.id);
        for (const std::uint64_t id : ids) {
            if (!wanted())
                return;
            const auto found = std::find_if(entries->begin(), entries->end(),
                                            [id](const Entry& entry) { return entry.id == id; });
            if (found == entries->end())
                continue;
            const auto callback = found->callback;
            (*callback)(args...);
        }
    }

    // Calls every callback once, ending its registration first; one registered during the
    // walk is called too.
    void callOnce(Args... args)
    {
        const auto entries = m_entries;
        while (!entries->empty()) {
            const auto callback = entries->front().callback;
            entries->erase(entries->begin());
            (*callback)(args...);
        }
    }

private:
    struct Entry
    {
        std::uint64_t id = 0;
        std::shared_ptr<const Callback> callback;
    };
    std::shared_ptr<std::vector<Entry>> m_entries = std::make_shared<std::vector<Entry>>();
    std::uint64_t m_nextID = 0;
};

} // namespace veloquill
