#include "settings/qsettings_defaults_store.h"

#include "support/config_home.h"
#include "support/log.h"

namespace veloquill {

namespace {
const QString TrueText = QStringLiteral("true");
const QString FalseText = QStringLiteral("false");

QString describeStatus(QSettings::Status status)
{
    switch (status) {
    case QSettings::NoError:
        return QStringLiteral("no error");
    case QSettings::AccessError:
        return QStringLiteral("access error");
    case QSettings::FormatError:
        return QStringLiteral("format error");
    }
    return QStringLiteral("unknown error");
}
} // namespace

QString QSettingsDefaultsStore::standardFilePath()
{
    return xdgConfigHome() + QStringLiteral("/Veloquill/Veloquill.conf");
}

QSettingsDefaultsStore::QSettingsDefaultsStore(const QString& filePath)
    : m_filePath(filePath), m_settings(std::make_unique<QSettings>(filePath, QSettings::IniFormat))
{}

std::optional<QByteArray> QSettingsDefaultsStore::data(const QString& key) const
{
    const QVariant value = m_settings->value(key);
    if (value.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return value.toByteArray();
}

std::optional<QString> QSettingsDefaultsStore::string(const QString& key) const
{
    const QVariant value = m_settings->value(key);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

std::optional<bool> QSettingsDefaultsStore::boolean(const QString& key) const
{
    const QVariant value = m_settings->value(key);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    const QString text = value.toString();
    if (text == TrueText)
        return true;
    if (text == FalseText)
        return false;
    return std::nullopt;
}

void QSettingsDefaultsStore::setData(const QString& key, const QByteArray& value)
{
    write(key, value);
}

void QSettingsDefaultsStore::setString(const QString& key, const QString& value)
{
    write(key, value);
}

void QSettingsDefaultsStore::setBoolean(const QString& key, bool value)
{
    // Stored as the text QSettings would write anyway, so that this process reads back
    // the same kind a later one reads from the file.
    write(key, value ? TrueText : FalseText);
}

void QSettingsDefaultsStore::remove(const QString& key)
{
    write(key, QVariant());
}

void QSettingsDefaultsStore::write(const QString& key, const QVariant& value)
{
    // What the file already holds is not written again: every sync rewrites the whole file,
    // values QSettings cannot write back as they were included, so a start that changes
    // nothing must not sync at all.
    const bool unchanged =
        value.isValid() ? m_settings->value(key) == value : !m_settings->contains(key);
    if (unchanged && !m_lastSyncFailed)
        return;
    if (m_lastSyncFailed)
        startOverKeepingUnsavedChanges();
    if (value.isValid())
        m_settings->setValue(key, value);
    else
        m_settings->remove(key);
    m_settings->sync();
    const QSettings::Status status = m_settings->status();
    m_lastSyncFailed = status != QSettings::NoError;
    if (m_lastSyncFailed) {
        logLine(QStringLiteral("QSettingsDefaultsStore: Could not write settings to ") +
                m_filePath + QStringLiteral(": ") + describeStatus(status));
    }
}

void QSettingsDefaultsStore::startOverKeepingUnsavedChanges()
{
    // QSettings reports its first error for the rest of its life, so every later write would
    // look failed. A fresh object holding the same values reports afresh, and its next sync
    // writes the changes that could not be saved before.
    auto fresh = std::make_unique<QSettings>(m_filePath, QSettings::IniFormat);
    for (const QString& key : fresh->allKeys()) {
        if (!m_settings->contains(key))
            fresh->remove(key);
    }
    for (const QString& key : m_settings->allKeys())
        fresh->setValue(key, m_settings->value(key));
    m_settings = std::move(fresh);
}

} // namespace veloquill
