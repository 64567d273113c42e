// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/x11/x11_property_cache.h"

namespace veloquill::x11 {

const std::optional<RawProperty>* X11PropertyCache::find(int deviceId, XAtom property) const
{
    const auto found = m_values.find({deviceId, property});
    return found == m_values.end() ? nullptr : &found->second;
}

void X11PropertyCache::store(int deviceId, XAtom property, std::optional<RawProperty> value)
{
    m_values[{deviceId, property}] = std::move(value);
}

void X11PropertyCache::storeWritten(int deviceId, XAtom property, const RawProperty& value)
{
    m_values[{deviceId, property}] = value;
    ++m_own[{deviceId, property}];
    ++m_ownDue;
}

void X11PropertyCache::noteEvent(int deviceId, XAtom property)
{
    const auto own = m_own.find({deviceId, property});
    if (own == m_own.end()) {
        forget(deviceId, property);
        return;
    }
    --m_ownDue;
    if (--own->second == 0)
        m_own.erase(own);
}

const std::optional<RawProperty>* X11PropertyCache::findFeedback(int deviceId) const
{
    const auto found = m_turn.find(deviceId);
    return found != m_turn.end() ? &found->second : nullptr;
}

void X11PropertyCache::storeFeedbackRead(int deviceId, std::optional<RawProperty> value)
{
    m_turn[deviceId] = std::move(value);
}

void X11PropertyCache::storeFeedbackWritten(int deviceId, const RawProperty& value)
{
    m_feedbackWritten[deviceId] = value;
    m_turn[deviceId] = value;
}

void X11PropertyCache::endTurn()
{
    m_turn.clear();
    for (const auto& [deviceId, value] : m_feedbackWritten)
        m_turn[deviceId] = value;
}

std::optional<unsigned long> X11PropertyCache::feedbackId(int deviceId) const
{
    const auto found = m_feedbackIds.find(deviceId);
    return found == m_feedbackIds.end() ? std::nullopt : std::optional(found->second);
}

void X11PropertyCache::clear()
{
    m_turn.clear();
    m_feedbackWritten.clear();
    m_feedbackIds.clear();
    m_values.clear();
    m_own.clear();
    m_ownDue = 0;
}

} // namespace veloquill::x11
