// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

class QObject;

namespace veloquill {

namespace detail {

using AssociationKey = std::uint64_t;

AssociationKey newAssociationKey();
// The value stored on the owner under the key, or null.
std::shared_ptr<void> associatedValue(const QObject* owner, AssociationKey key);
// Replaces the value; the previous one is released only after the new one is in place.
void setAssociatedValue(QObject* owner, AssociationKey key, std::shared_ptr<void> value);

} // namespace detail

// A key for values attached to QObjects. Each owner holds its values strongly in a hidden
// child object, so they are released when the owner deletes its children, by which time the
// owner's QPointers already read null. Main thread only.
template <typename T> class AssociatedObject
{
public:
    AssociatedObject() : m_key(detail::newAssociationKey()) {}
    AssociatedObject(const AssociatedObject&) = delete;
    AssociatedObject& operator=(const AssociatedObject&) = delete;

    std::optional<T> value(const QObject* owner) const
    {
        const auto stored = detail::associatedValue(owner, m_key);
        if (!stored)
            return std::nullopt;
        return *static_cast<const T*>(stored.get());
    }

    void setValue(QObject* owner, T value)
    {
        detail::setAssociatedValue(owner, m_key, std::make_shared<T>(std::move(value)));
    }

private:
    // A number rather than the key's address, so a later key can never read an earlier one's T.
    const detail::AssociationKey m_key;
};

} // namespace veloquill
