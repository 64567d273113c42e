#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace veloquill {

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
};

} // namespace veloquill
