// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Device properties as last read or written on the backend's connection, so that a step does
// not ask the server for each property it looks at. An entry holds until a property event comes
// for it that this program's own write did not cause, or the devices change.

#include "device/x11/x11_properties.h"

#include <map>
#include <optional>
#include <utility>

namespace veloquill::x11 {

class X11PropertyCache
{
public:
    // The value known (nothing: the device has no such property), or null when none is.
    const std::optional<RawProperty>* find(int deviceId, XAtom property) const;
    void store(int deviceId, XAtom property, std::optional<RawProperty> value);
    // The server took this program's write of the value: the event it sends for it is ours.
    void storeWritten(int deviceId, XAtom property, const RawProperty& value);
    void forget(int deviceId, XAtom property) { m_values.erase({deviceId, property}); }
    // A property event was handled: one this program's write caused leaves the entry as is.
    void noteEvent(int deviceId, XAtom property);
    // Devices came or went (an id may now name another device), or the connection broke.
    void clear();
    // How many property events this program's own writes are still to cause.
    int ownEventsDue() const { return m_ownDue; }

    // A device's pointer feedback changes without an event: what was read of it holds only
    // until the main loop next waits, what this program wrote until it is read afresh (a
    // restore) or the devices change. Its id, the device's own, holds as long as the device.
    const std::optional<RawProperty>* findFeedback(int deviceId) const;
    void storeFeedbackRead(int deviceId, std::optional<RawProperty> value);
    void storeFeedbackWritten(int deviceId, const RawProperty& value);
    void forgetFeedback(int deviceId)
    {
        m_turn.erase(deviceId);
        m_feedbackWritten.erase(deviceId);
    }
    std::optional<unsigned long> feedbackId(int deviceId) const;
    void storeFeedbackId(int deviceId, unsigned long id) { m_feedbackIds[deviceId] = id; }
    void endTurn();

private:
    using Key = std::pair<int, XAtom>;
    std::map<Key, std::optional<RawProperty>> m_values;
    std::map<Key, int> m_own;
    int m_ownDue = 0;
    std::map<int, std::optional<RawProperty>> m_turn;
    std::map<int, RawProperty> m_feedbackWritten;
    std::map<int, unsigned long> m_feedbackIds;
};

} // namespace veloquill::x11
