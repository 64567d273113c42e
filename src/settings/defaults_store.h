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

    // The data value under the key, or nothing when the key is absent or holds another kind.
    virtual std::optional<QByteArray> data(const QString& key) const = 0;
    // The text under the key, or nothing when absent or not text.
    virtual std::optional<QString> string(const QString& key) const = 0;
    // The boolean under the key, or nothing when absent or not a boolean.
    virtual std::optional<bool> boolean(const QString& key) const = 0;

    // Each write replaces whatever the key held and is durable when the call returns.
    virtual void setData(const QString& key, const QByteArray& value) = 0;
    virtual void setString(const QString& key, const QString& value) = 0;
    virtual void setBoolean(const QString& key, bool value) = 0;
    virtual void remove(const QString& key) = 0;
};

} // namespace veloquill
