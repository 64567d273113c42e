// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/gnome/gnome_settings_keys.h"

#include <gio/gio.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace veloquill::gnome {
namespace {

constexpr std::array kSchemas{Schema::Mouse, Schema::Trackball, Schema::Touchpad,
                              Schema::PointingStick};
constexpr std::array kKeys{Key::Speed, Key::AccelProfile};

// In the order of Schema.
constexpr std::array<const char*, kSchemas.size()> kSchemaIds{
    "org.gnome.desktop.peripherals.mouse", "org.gnome.desktop.peripherals.trackball",
    "org.gnome.desktop.peripherals.touchpad", "org.gnome.desktop.peripherals.pointingstick"};

const char* keyNameText(Key key)
{
    return key == Key::Speed ? "speed" : "accel-profile";
}

// GNOME gives trackballs no speed of their own.
bool schemaHolds(Schema schema, Key key)
{
    return !(schema == Schema::Trackball && key == Key::Speed);
}

template <auto unref> struct Unref
{
    template <class T> void operator()(T* object) const { unref(object); }
};
using Variant = std::unique_ptr<GVariant, Unref<g_variant_unref>>;
using SchemaKeyRef = std::unique_ptr<GSettingsSchemaKey, Unref<g_settings_schema_key_unref>>;
using SchemaRef = std::unique_ptr<GSettingsSchema, Unref<g_settings_schema_unref>>;

// Whether the schema holds every key we use, with the type we read and write (an enum key
// reads and writes as a string).
bool usable(GSettingsSchema* schema, Schema which)
{
    return std::ranges::all_of(kKeys, [&](Key key) {
        const char* name = keyNameText(key);
        if (!schemaHolds(which, key))
            return true;
        if (!g_settings_schema_has_key(schema, name))
            return false;
        const SchemaKeyRef schemaKey(g_settings_schema_get_key(schema, name));
        return g_variant_type_equal(g_settings_schema_key_get_value_type(schemaKey.get()),
                                    key == Key::Speed ? G_VARIANT_TYPE_DOUBLE
                                                      : G_VARIANT_TYPE_STRING) != FALSE;
    });
}

} // namespace

struct GnomeSettingsKeys::Schemas
{
    struct Entry
    {
        GnomeSettingsKeys* owner = nullptr;
        Schema schema = Schema::Mouse;
        SchemaRef gschema;
        std::unique_ptr<GSettings, Unref<g_object_unref>> settings;
    };

    ~Schemas()
    {
        for (Entry& entry : entries) {
            // Nothing may reach the object being destroyed.
            if (entry.settings)
                g_signal_handlers_disconnect_by_data(entry.settings.get(), &entry);
        }
    }

    static void onChanged(GSettings*, const char* name, gpointer data)
    {
        const auto* entry = static_cast<const Entry*>(data);
        for (Key key : kKeys) {
            if (schemaHolds(entry->schema, key) && std::strcmp(name, keyNameText(key)) == 0)
                Q_EMIT entry->owner->changed(SettingKey{entry->schema, key});
        }
    }

    // The schema's settings when it holds the key, else null.
    const Entry* find(SettingKey key) const
    {
        return schemaHolds(key.schema, key.key) ? &entries[static_cast<std::size_t>(key.schema)]
                                                : nullptr;
    }

    std::array<Entry, kSchemas.size()> entries;
};

GnomeSettingsKeys::GnomeSettingsKeys(QObject* parent) : QObject(parent)
{
    // Without GNOME's schemas GSettings would abort the process on g_settings_new, so each
    // schema is looked up before its settings are made, and none is used unless all are there.
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (source == nullptr)
        return;
    auto schemas = std::make_unique<Schemas>();
    for (Schema schema : kSchemas) {
        auto& entry = schemas->entries[static_cast<std::size_t>(schema)];
        entry.gschema.reset(g_settings_schema_source_lookup(
            source, kSchemaIds[static_cast<std::size_t>(schema)], TRUE));
        if (!entry.gschema || !usable(entry.gschema.get(), schema))
            return;
        entry.owner = this;
        entry.schema = schema;
        entry.settings.reset(g_settings_new_full(entry.gschema.get(), nullptr, nullptr));
        g_signal_connect(entry.settings.get(), "changed", G_CALLBACK(&Schemas::onChanged), &entry);
        // GSettings promises "changed" only for keys read since the handler was connected.
        for (Key key : kKeys) {
            if (schemaHolds(schema, key))
                g_variant_unref(g_settings_get_value(entry.settings.get(), keyNameText(key)));
        }
    }
    m_schemas = std::move(schemas);
}

GnomeSettingsKeys::~GnomeSettingsKeys() = default;

QVariant GnomeSettingsKeys::read(SettingKey key, Reading reading) const
{
    const auto get = reading == Reading::Value       ? g_settings_get_value
                     : reading == Reading::UserValue ? g_settings_get_user_value
                                                     : g_settings_get_default_value;
    const auto* entry = m_schemas ? m_schemas->find(key) : nullptr;
    const Variant value(entry ? get(entry->settings.get(), keyNameText(key.key)) : nullptr);
    if (!value)
        return {};
    if (g_variant_is_of_type(value.get(), G_VARIANT_TYPE_DOUBLE))
        return g_variant_get_double(value.get());
    return QString::fromUtf8(g_variant_get_string(value.get(), nullptr));
}

bool GnomeSettingsKeys::isWritable(SettingKey key) const
{
    const auto* entry = m_schemas ? m_schemas->find(key) : nullptr;
    return entry != nullptr && g_settings_is_writable(entry->settings.get(), keyNameText(key.key));
}

bool GnomeSettingsKeys::write(SettingKey key, const QVariant& value)
{
    // Locked down by the administrator, or a key this kind of device lacks.
    if (!isWritable(key))
        return false;
    const auto* entry = m_schemas->find(key);
    const char* name = keyNameText(key.key);
    if (!value.isValid()) {
        g_settings_reset(entry->settings.get(), name);
        return true;
    }
    const Variant gvalue(g_variant_ref_sink(
        key.key == Key::Speed ? g_variant_new_double(value.toDouble())
                              : g_variant_new_string(value.toString().toUtf8().constData())));
    // GSettings treats a value out of range as a programming error and only logs it.
    const SchemaKeyRef schemaKey(g_settings_schema_get_key(entry->gschema.get(), name));
    return g_settings_schema_key_range_check(schemaKey.get(), gvalue.get()) &&
           g_settings_set_value(entry->settings.get(), name, gvalue.get());
}

void GnomeSettingsKeys::sync()
{
    if (m_schemas)
        g_settings_sync();
}

QString schemaId(Schema schema)
{
    return QString::fromLatin1(kSchemaIds[static_cast<std::size_t>(schema)]);
}

QString keyName(Key key)
{
    return QString::fromLatin1(keyNameText(key));
}

std::optional<Schema> schemaNamed(const QString& id)
{
    const auto found = std::ranges::find_if(kSchemas, [&](Schema s) { return schemaId(s) == id; });
    return found == kSchemas.end() ? std::nullopt : std::optional(*found);
}

std::optional<SettingKey> keyNamed(Schema schema, const QString& name)
{
    for (const Key key : kKeys) {
        if (keyName(key) == name && schemaHolds(schema, key))
            return SettingKey{schema, key};
    }
    return std::nullopt;
}

} // namespace veloquill::gnome
