#pragma once

#include "settings/defaults_store.h"

#include <QVariant>

#include <map>

namespace veloquill::test {

// A defaults store inside the test: values keep their kind exactly; writes are counted.
class InMemoryDefaultsStore final : public DefaultsStore
{
public:
    std::optional<QByteArray> data(const QString& key) const override
    {
        return read<QByteArray>(key);
    }
    std::optional<QString> string(const QString& key) const override { return read<QString>(key); }
    std::optional<bool> boolean(const QString& key) const override { return read<bool>(key); }
    void setData(const QString& key, const QByteArray& value) override { write(key, value); }
    void setString(const QString& key, const QString& value) override { write(key, value); }
    void setBoolean(const QString& key, bool value) override { write(key, value); }
    void remove(const QString& key) override { write(key, QVariant()); }

    bool contains(const QString& key) const { return m_values.count(key) != 0; }
    int writeCount() const { return m_writeCount; }

private:
    template <typename T> std::optional<T> read(const QString& key) const
    {
        const QVariant value = m_values.count(key) ? m_values.at(key) : QVariant();
        return value.typeId() == qMetaTypeId<T>() ? std::optional(value.value<T>()) : std::nullopt;
    }
    void write(const QString& key, const QVariant& value)
    {
        ++m_writeCount;
        if (value.isValid())
            m_values[key] = value;
        else
            m_values.erase(key);
    }

    std::map<QString, QVariant> m_values;
    int m_writeCount = 0;
};

} // namespace veloquill::test
