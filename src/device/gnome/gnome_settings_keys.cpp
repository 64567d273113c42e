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

const char* schemaIdText(Schema schema)
{
    return kSchemaIds[static_cast<std::size_t>(schema)];
}

const char* keyNameText(Key key)
{
    return key == Key::Speed ? "speed" : "accel-profile";
}

// GNOME gives trackballs no speed of their own.
bool schemaHolds(Schema schema, Key key)
{
    return !(schema == Schema::Trackball && key == Key::Speed);
}

// An enum key reads and writes as a string.
const GVariantType* valueType(Key key)
{
    return key == Key::Speed ? G_VARIANT_TYPE_DOUBLE : G_VARIANT_TYPE_STRING;
}

struct VariantUnref
{
    void operator()(GVariant* value) const { g_variant_unref(value); }
};
using Variant = std::unique_ptr<GVariant, VariantUnref>;

struct SchemaKeyUnref
{
    void operator()(GSettingsSchemaKey* key) const { g_settings_schema_key_unref(key); }
};
using SchemaKeyRef = std::unique_ptr<GSettingsSchemaKey, SchemaKeyUnref>;

struct SchemaUnref
{
    void operator()(GSettingsSchema* schema) const { g_settings_schema_unref(schema); }
};
using SchemaRef = std::unique_ptr<GSettingsSchema, SchemaUnref>;

// Whether the schema holds every key we use, with the type we read and write.
bool usable(GSettingsSchema* schema, Schema which)
{
    return std::ranges::all_of(kKeys, [&](Key key) {
        const char* name = keyNameText(key);
        SchemaKeyRef schemaKey(g_settings_schema_has_key(schema, name)
                                   ? g_settings_schema_get_key(schema, name)
                                   : nullptr);
        return !schemaHolds(which, key) ||
               (schemaKey &&
                g_variant_type_equal(g_settings_schema_key_get_value_type(schemaKey.get()),
                                     valueType(key)));
    });
}

QVariant toQVariant(GVariant* value)
{
    if (g_variant_is_of_type(value, G_VARIANT_TYPE_DOUBLE))
        return g_variant_get_double(value);
    return QString::fromUtf8(g_variant_get_string(value, nullptr));
}

// Floating, or null when the value has the wrong type for the key.
GVariant* toGVariant(Key key, const QVariant& value)
{
    if (key == Key::Speed && value.typeId() == QMetaType::Double)
        return g_variant_new_double(value.toDouble());
    if (key == Key::AccelProfile && value.typeId() == QMetaType::QString)
        return g_variant_new_string(value.toString().toUtf8().constData());
    return nullptr;
}

} // namespace

struct GnomeSettingsKeys::Schemas
{
    struct Entry
    {
        GnomeSettingsKeys* owner = nullptr;
        Schema schema = Schema::Mouse;
        GSettingsSchema* gschema = nullptr;
        GSettings* settings = nullptr;
        gulong changedHandler = 0;
    };

    ~Schemas()
    {
        for (Entry& entry : entries) {
            // Nothing may reach the object being destroyed.
            g_signal_handler_disconnect(entry.settings, entry.changedHandler);
            g_object_unref(entry.settings);
            g_settings_schema_unref(entry.gschema);
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
        if (!schemaHolds(key.schema, key.key))
            return nullptr;
        return &entries[static_cast<std::size_t>(key.schema)];
    }

    std::array<Entry, kSchemas.size()> entries;
};

GnomeSettingsKeys::GnomeSettingsKeys(QObject* parent) : QObject(parent)
{
    // Without GNOME's schemas GSettings would abort the process on g_settings_new, so every
    // schema is looked up first and nothing is made unless all are there.
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (source == nullptr)
        return;
    std::array<SchemaRef, kSchemas.size()> found;
    bool all = true;
    for (Schema schema : kSchemas) {
        SchemaRef& gschema = found[static_cast<std::size_t>(schema)];
        gschema.reset(g_settings_schema_source_lookup(source, schemaIdText(schema), TRUE));
        all = all && gschema && usable(gschema.get(), schema);
    }
    if (!all)
        return;

    m_schemas = std::make_unique<Schemas>();
    for (Schema schema : kSchemas) {
        auto& entry = m_schemas->entries[static_cast<std::size_t>(schema)];
        entry.owner = this;
        entry.schema = schema;
        entry.gschema = found[static_cast<std::size_t>(schema)].release();
        entry.settings = g_settings_new_full(entry.gschema, nullptr, nullptr);
        entry.changedHandler =
            g_signal_connect(entry.settings, "changed", G_CALLBACK(&Schemas::onChanged), &entry);
        // GSettings promises "changed" only for keys read since the handler was connected.
        for (Key key : kKeys) {
            if (schemaHolds(schema, key))
                g_variant_unref(g_settings_get_value(entry.settings, keyNameText(key)));
        }
    }
}

GnomeSettingsKeys::~GnomeSettingsKeys() = default;

bool GnomeSettingsKeys::available() const
{
    return m_schemas != nullptr;
}

QVariant GnomeSettingsKeys::value(SettingKey key) const
{
    const auto* entry = m_schemas ? m_schemas->find(key) : nullptr;
    return entry ? toQVariant(
                       Variant(g_settings_get_value(entry->settings, keyNameText(key.key))).get())
                 : QVariant();
}

std::optional<QVariant> GnomeSettingsKeys::userValue(SettingKey key) const
{
    const auto* entry = m_schemas ? m_schemas->find(key) : nullptr;
    Variant value(entry ? g_settings_get_user_value(entry->settings, keyNameText(key.key))
                        : nullptr);
    return value ? std::optional(toQVariant(value.get())) : std::nullopt;
}

QVariant GnomeSettingsKeys::defaultValue(SettingKey key) const
{
    const auto* entry = m_schemas ? m_schemas->find(key) : nullptr;
    return entry ? toQVariant(
                       Variant(g_settings_get_default_value(entry->settings, keyNameText(key.key)))
                           .get())
                 : QVariant();
}

bool GnomeSettingsKeys::isWritable(SettingKey key) const
{
    const auto* entry = m_schemas ? m_schemas->find(key) : nullptr;
    return entry != nullptr && g_settings_is_writable(entry->settings, keyNameText(key.key));
}

bool GnomeSettingsKeys::write(SettingKey key, const QVariant& value)
{
    const auto* entry = m_schemas ? m_schemas->find(key) : nullptr;
    const char* name = keyNameText(key.key);
    // Locked down by the administrator, or a key this kind of device lacks.
    if (!isWritable(key))
        return false;
    GVariant* floating = toGVariant(key.key, value);
    if (floating == nullptr)
        return false;
    Variant gvalue(g_variant_ref_sink(floating));
    // GSettings treats a value out of range as a programming error and only logs it.
    SchemaKeyRef schemaKey(g_settings_schema_get_key(entry->gschema, name));
    return g_settings_schema_key_range_check(schemaKey.get(), gvalue.get()) &&
           g_settings_set_value(entry->settings, name, gvalue.get());
}

void GnomeSettingsKeys::reset(SettingKey key)
{
    if (const auto* entry = m_schemas ? m_schemas->find(key) : nullptr)
        g_settings_reset(entry->settings, keyNameText(key.key));
}

void GnomeSettingsKeys::sync()
{
    if (m_schemas)
        g_settings_sync();
}

QString schemaId(Schema schema)
{
    return QString::fromLatin1(schemaIdText(schema));
}

QString keyName(Key key)
{
    return QString::fromLatin1(keyNameText(key));
}

} // namespace veloquill::gnome
