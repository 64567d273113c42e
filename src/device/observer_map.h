// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QUuid>

#include <map>
#include <vector>

namespace veloquill {

// Calls the observers subscribed when the walk begins, skipping any whose subscription
// ended during the walk: an observer cancelled by another must not run, because what it
// captured may already be gone. Each is copied before the call so that cancelling itself
// mid-call is safe.
template <typename Observer, typename Invoke>
void forEachLiveObserver(const std::map<QUuid, Observer>& observers, Invoke&& invoke)
{
    std::vector<QUuid> keys;
    keys.reserve(observers.size());
    for (const auto& entry : observers)
        keys.push_back(entry.first);
    for (const QUuid& key : keys) {
        const auto it = observers.find(key);
        if (it == observers.end())
            continue;
        Observer observer = it->second;
        invoke(observer);
    }
}

} // namespace veloquill
