#pragma once

#include "settings/defaults_store.h"

#include <map>
#include <variant>

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
    void remove(const QString& key) override { write(key, std::monostate()); }

    bool contains(const QString& key) const { return m_values.count(key) != 0; }
    int writeCount() const { return m_writeCount; }

private:
    using Value = std::variant<std::monostate, QByteArray, QString, bool>;

    template <typename T> std::optional<T> read(const QString& key) const
    {
        const auto it = m_values.find(key);
        if (it == m_values.end() || !std::holds_alternative<T>(it->second))
            return std::nullopt;
        return std::get<T>(it->second);
    }

    void write(const QString& key, Value value)
    {
        if (std::holds_alternative<std::monostate>(value))
            m_values.erase(key);
        else
            m_values[key] = std::move(value);
        ++m_writeCount;
    }

    std::map<QString, Value> m_values;
    int m_writeCount = 0;
};

} // namespace veloquill::test
