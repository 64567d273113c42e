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

void X11PropertyCache::clear()
{
    m_values.clear();
    m_own.clear();
    m_ownDue = 0;
}

} // namespace veloquill::x11
