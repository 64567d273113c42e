// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "observation/associated_object.h"

#include <QObject>
#include <QThread>

#include <unordered_map>

namespace veloquill::detail {

namespace {

const QString storageName = QStringLiteral("veloquill_associated_storage");

// Lives as a child of the owner, so it is deleted with the owner's children.
class AssociatedStorage final : public QObject
{
public:
    explicit AssociatedStorage(QObject* owner) : QObject(owner) { setObjectName(storageName); }

    ~AssociatedStorage() override
    {
        // Released values may run arbitrary code; let any lookup meanwhile find nothing here.
        auto released = std::move(values);
        values.clear();
    }

    std::unordered_map<AssociationKey, std::shared_ptr<void>> values;
};

AssociatedStorage* findStorage(const QObject* owner)
{
    // The name is checked first so that no child under destruction is ever cast.
    for (QObject* child : owner->children()) {
        if (child && child->objectName() == storageName) {
            if (auto* storage = dynamic_cast<AssociatedStorage*>(child))
                return storage;
        }
    }
    return nullptr;
}

} // namespace

AssociationKey newAssociationKey()
{
    static AssociationKey lastKey = 0;
    return ++lastKey;
}

std::shared_ptr<void> associatedValue(const QObject* owner, AssociationKey key)
{
    if (!owner)
        return nullptr;
    const AssociatedStorage* storage = findStorage(owner);
    if (!storage)
        return nullptr;
    const auto found = storage->values.find(key);
    return found == storage->values.end() ? nullptr : found->second;
}

void setAssociatedValue(QObject* owner, AssociationKey key, std::shared_ptr<void> value)
{
    if (!owner)
        return;
    Q_ASSERT(owner->thread() == QThread::currentThread());
    AssociatedStorage* storage = findStorage(owner);
    if (!storage)
        storage = new AssociatedStorage(owner);
    // The previous value dies at the end of this function, once the table holds the new one.
    const std::shared_ptr<void> previous = std::exchange(storage->values[key], std::move(value));
}

} // namespace veloquill::detail
