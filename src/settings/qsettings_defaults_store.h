#pragma once

#include "settings/defaults_store.h"

#include <QSettings>

#include <memory>

namespace veloquill {

// The program's defaults store: an INI file written to disk after every change, so a
// crash right after a change loses nothing.
//
// INI keeps a data value apart from text (@ByteArray(...)), but a boolean is written as the
// text true or false, as QSettings does; reading a boolean therefore accepts exactly those
// two texts, so a hand-edited file reads as expected.
class QSettingsDefaultsStore final : public DefaultsStore
{
public:
    // ${XDG_CONFIG_HOME:-~/.config}/Veloquill/Veloquill.conf
    static QString standardFilePath();

    explicit QSettingsDefaultsStore(const QString& filePath = standardFilePath());

    std::optional<QByteArray> data(const QString& key) const override;
    std::optional<QString> string(const QString& key) const override;
    std::optional<bool> boolean(const QString& key) const override;

    void setData(const QString& key, const QByteArray& value) override;
    void setString(const QString& key, const QString& value) override;
    void setBoolean(const QString& key, bool value) override;
    void remove(const QString& key) override;

private:
    // Writes the value (an invalid one removes the key) and syncs the file at once.
    void write(const QString& key, const QVariant& value);
    void startOverKeepingUnsavedChanges();

    QString m_filePath;
    std::unique_ptr<QSettings> m_settings;
    bool m_lastSyncFailed = false;
};

} // namespace veloquill
