// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "observation/associated_object.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

namespace veloquill {

// Ties an object to the lifetime of a QObject owner: the owner keeps the tied object alive and,
// when the owner is destroyed, runs the deinit handler and then releases it. The association
// links back only weakly, so the tied object never keeps the owner alive.
class LifetimeAssociation
{
public:
    // A null owner gives an inert association: nothing is tied and the handler never runs.
    LifetimeAssociation(std::shared_ptr<void> tiedObject, QObject* owner,
                        std::function<void()> deinitHandler);
    ~LifetimeAssociation();
    LifetimeAssociation(const LifetimeAssociation&) = delete;
    LifetimeAssociation& operator=(const LifetimeAssociation&) = delete;

    // Unties without running the deinit handler; the owner lets go of the tied object.
    void cancel();

private:
    class ObjectLifetimeTracker;
    using TrackerList = std::vector<std::shared_ptr<ObjectLifetimeTracker>>;

    void invalidate();

    // Every owner carries one list of trackers, one tracker per tie.
    static AssociatedObject<TrackerList> s_associatedObjects;

    std::weak_ptr<ObjectLifetimeTracker> m_wrappedObject;
    QPointer<QObject> m_owner;
};

} // namespace veloquill
