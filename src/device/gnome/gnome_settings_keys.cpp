#include "device/gnome/gnome_settings_keys.h"

namespace veloquill::gnome {

struct GnomeSettingsKeys::Schemas
{};

GnomeSettingsKeys::GnomeSettingsKeys(QObject* parent) : QObject(parent) {}
GnomeSettingsKeys::~GnomeSettingsKeys() = default;

bool GnomeSettingsKeys::available() const
{
    return false;
}

QVariant GnomeSettingsKeys::value(SettingKey) const
{
    return {};
}

std::optional<QVariant> GnomeSettingsKeys::userValue(SettingKey) const
{
    return std::nullopt;
}

QVariant GnomeSettingsKeys::defaultValue(SettingKey) const
{
    return {};
}

bool GnomeSettingsKeys::write(SettingKey, const QVariant&)
{
    return false;
}

void GnomeSettingsKeys::reset(SettingKey) {}

void GnomeSettingsKeys::sync() {}

QString schemaId(Schema)
{
    return {};
}

QString keyName(Key)
{
    return {};
}

} // namespace veloquill::gnome
