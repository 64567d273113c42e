// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

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
    bool setData(const QString& key, const QByteArray& value) override { return write(key, value); }
    bool setString(const QString& key, const QString& value) override { return write(key, value); }
    bool setBoolean(const QString& key, bool value) override { return write(key, value); }
    bool remove(const QString& key) override { return write(key, QVariant()); }
    void keepCopyBeforeNextWrite() override { m_copyRequested = true; }

    bool contains(const QString& key) const override { return m_values.count(key) != 0; }
    int writeCount() const { return m_writeCount; }
    bool copyRequested() const { return m_copyRequested; }
    // Writes still change the values but report that nothing reached the disk.
    bool failing = false;
    InMemoryDefaultsStore() = default;
    InMemoryDefaultsStore(const QString& key, const QVariant& value) { put(key, value); }
    // Any value, of a kind the program never writes (as a hand-edited file can hold).
    void put(const QString& key, const QVariant& value) { m_values[key] = value; }

private:
    template <typename T> std::optional<T> read(const QString& key) const
    {
        const QVariant value = m_values.count(key) ? m_values.at(key) : QVariant();
        return value.typeId() == qMetaTypeId<T>() ? std::optional(value.value<T>()) : std::nullopt;
    }
    bool write(const QString& key, const QVariant& value)
    {
        ++m_writeCount;
        if (value.isValid())
            m_values[key] = value;
        else
            m_values.erase(key);
        return !failing;
    }

    std::map<QString, QVariant> m_values;
    int m_writeCount = 0;
    bool m_copyRequested = false;
};

} // namespace veloquill::test
