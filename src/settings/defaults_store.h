// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace veloquill {

// A data value merged from three versions, and whether part of the other writer's version
// was replaced by this process's (the store then keeps a copy of it).
struct DataMerge
{
    QByteArray value;
    bool replacedTheirs = false;
};

// base: the value as this process last read or wrote it; mine: the one it writes now;
// theirs: the one another writer left since. base and theirs are absent when missing or not
// data.
using DataMergeFunction =
    std::function<DataMerge(const std::optional<QByteArray>& base, const QByteArray& mine,
                            const std::optional<QByteArray>& theirs)>;

// The per-user store of the program's preferences. Values keep their kind: a read of one
// kind never yields a value written as another (a data value is not a string), so a key
// holding something unexpected reads as absent.
class DefaultsStore
{
public:
    virtual ~DefaultsStore() = default;

    // Whether the key holds anything, of whatever kind.
    virtual bool contains(const QString& key) const = 0;
    // The data value under the key, or nothing when the key is absent or holds another kind.
    virtual std::optional<QByteArray> data(const QString& key) const = 0;
    // The text under the key, or nothing when absent or not text.
    virtual std::optional<QString> string(const QString& key) const = 0;
    // The boolean under the key, or nothing when absent or not a boolean.
    virtual std::optional<bool> boolean(const QString& key) const = 0;

    // Each write replaces whatever the key held. It returns true once the value is durable,
    // false when it is kept in memory only (the store says why in its own log line).
    virtual bool setData(const QString& key, const QByteArray& value) = 0;
    virtual bool setString(const QString& key, const QString& value) = 0;
    virtual bool setBoolean(const QString& key, bool value) = 0;
    virtual bool remove(const QString& key) = 0;

    // Something stored could not be read, and a later write would replace it: the store
    // keeps what it holds now, unchanged, before its next write.
    virtual void keepCopyBeforeNextWrite() = 0;

    // When another writer changed the key's data value too, the two are merged by `merge`
    // rather than one replacing the other; `adopted` runs after a write that took in some of
    // the other writer's version. A store no one else writes to has nothing to merge.
    virtual void mergeDataWith(const QString& /*key*/, DataMergeFunction /*merge*/,
                               std::function<void()> /*adopted*/)
    {}
};

} // namespace veloquill
