// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "observation/lifetime_association.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace veloquill {

// Placed on the owner; holds the tied object until the owner lets go of it.
class LifetimeAssociation::ObjectLifetimeTracker
{
public:
    ObjectLifetimeTracker(std::shared_ptr<void> object, std::function<void()> deinitHandler)
        : m_object(std::move(object)), m_deinitHandler(std::move(deinitHandler))
    {}

    ~ObjectLifetimeTracker()
    {
        // The handler runs while the tied object is still held, so it can still reach it.
        if (const auto handler = std::exchange(m_deinitHandler, {}))
            handler();
        m_object.reset();
    }

    ObjectLifetimeTracker(const ObjectLifetimeTracker&) = delete;
    ObjectLifetimeTracker& operator=(const ObjectLifetimeTracker&) = delete;

    void setDeinitHandler(std::function<void()> handler) { m_deinitHandler = std::move(handler); }

private:
    std::shared_ptr<void> m_object;
    std::function<void()> m_deinitHandler;
};

AssociatedObject<LifetimeAssociation::TrackerList> LifetimeAssociation::s_associatedObjects;

LifetimeAssociation::LifetimeAssociation(std::shared_ptr<void> tiedObject, QObject* owner,
                                         std::function<void()> deinitHandler)
{
    if (!owner)
        return;
    auto tracker =
        std::make_shared<ObjectLifetimeTracker>(std::move(tiedObject), std::move(deinitHandler));
    TrackerList trackers = s_associatedObjects.value(owner).value_or(TrackerList{});
    trackers.push_back(tracker);
    s_associatedObjects.setValue(owner, std::move(trackers));
    m_wrappedObject = tracker;
    m_owner = owner;
}

LifetimeAssociation::~LifetimeAssociation()
{
    invalidate();
}

void LifetimeAssociation::cancel()
{
    if (const auto tracker = m_wrappedObject.lock())
        tracker->setDeinitHandler([] {});
    invalidate();
}

void LifetimeAssociation::invalidate()
{
    QObject* const owner = m_owner.data();
    if (!owner)
        return;
    // Declared first so that it is destroyed last: the removed tracker dies only after the
    // owner's shortened list is stored, because its death may run code that reads that list.
    const std::shared_ptr<ObjectLifetimeTracker> tracker = m_wrappedObject.lock();
    if (!tracker)
        return;
    std::optional<TrackerList> trackers = s_associatedObjects.value(owner);
    if (!trackers)
        return;
    const auto found = std::find(trackers->begin(), trackers->end(), tracker);
    if (found == trackers->end())
        return;
    trackers->erase(found);
    s_associatedObjects.setValue(owner, std::move(*trackers));
    m_owner = nullptr;
    // Nothing may touch this association from here on: the tracker's death can release the
    // last hold on the tied object, and with it this association.
}

} // namespace veloquill
