// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "settings/qsettings_defaults_store.h"

#include "support/config_home.h"
#include "support/log.h"
#include "support/settings_file.h"

#include <QTemporaryDir>

namespace veloquill {

namespace {
const QString TrueText = QStringLiteral("true");
const QString FalseText = QStringLiteral("false");
const QString LogPrefix = QStringLiteral("QSettingsDefaultsStore: ");

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

QString notRegular(const QString& path)
{
    return path + QStringLiteral(" is not a regular file");
}

QString readOnly(const QString& path)
{
    return path + QStringLiteral(" has no write permission for its owner");
}
} // namespace

QString QSettingsDefaultsStore::standardFilePath()
{
    const QString base = xdgConfigHome();
    return base.isEmpty() ? QString() : base + QStringLiteral("/Veloquill/Veloquill.conf");
}

QSettingsDefaultsStore::QSettingsDefaultsStore(const QString& filePath) : m_filePath(filePath)
{
    if (m_filePath.isEmpty()) {
        keepInMemory(QStringLiteral("neither XDG_CONFIG_HOME nor HOME names a folder"));
        return;
    }
    const SettingsFileKind kind = settingsFileStatus(m_filePath).kind;
    if (kind == SettingsFileKind::Other) {
        keepInMemory(notRegular(m_filePath));
        return;
    }
    m_settings = std::make_unique<QSettings>(m_filePath, QSettings::IniFormat);
    rememberFileOnDisk();
    m_originalOwner = m_seen.exists ? m_seen.owner : effectiveUserId();
    if (kind == SettingsFileKind::ReadOnly)
        keepInMemory(readOnly(m_filePath));
    // A file QSettings could not parse whole would lose what it skipped at the first write.
    if (m_settings->status() == QSettings::FormatError)
        m_keepCopy = true;
}

QVariant QSettingsDefaultsStore::value(const QString& key) const
{
    if (const auto kept = m_memory.constFind(key); kept != m_memory.cend())
        return *kept;
    return m_settings ? m_settings->value(key) : QVariant();
}

bool QSettingsDefaultsStore::contains(const QString& key) const
{
    if (const auto kept = m_memory.constFind(key); kept != m_memory.cend())
        return kept->isValid();
    return m_settings && m_settings->contains(key);
}

std::optional<QByteArray> QSettingsDefaultsStore::data(const QString& key) const
{
    const QVariant stored = value(key);
    if (stored.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return stored.toByteArray();
}

std::optional<QString> QSettingsDefaultsStore::string(const QString& key) const
{
    const QVariant stored = value(key);
    if (stored.typeId() != QMetaType::QString)
        return std::nullopt;
    return stored.toString();
}

std::optional<bool> QSettingsDefaultsStore::boolean(const QString& key) const
{
    const QVariant stored = value(key);
    if (stored.typeId() == QMetaType::Bool)
        return stored.toBool();
    if (stored.typeId() != QMetaType::QString)
        return std::nullopt;
    const QString text = stored.toString();
    if (text == TrueText)
        return true;
    if (text == FalseText)
        return false;
    return std::nullopt;
}

bool QSettingsDefaultsStore::setData(const QString& key, const QByteArray& value)
{
    return write(key, value);
}

bool QSettingsDefaultsStore::setString(const QString& key, const QString& value)
{
    return write(key, value);
}

bool QSettingsDefaultsStore::setBoolean(const QString& key, bool value)
{
    // Stored as the text QSettings would write anyway, so that this process reads back
    // the same kind a later one reads from the file.
    return write(key, value ? TrueText : FalseText);
}

bool QSettingsDefaultsStore::remove(const QString& key)
{
    return write(key, QVariant());
}

void QSettingsDefaultsStore::keepCopyBeforeNextWrite()
{
    m_keepCopy = true;
}

bool QSettingsDefaultsStore::write(const QString& key, const QVariant& newValue)
{
    // What the store already holds is not written again: every sync rewrites the whole
    // file, values QSettings cannot write back as they were included, so a start that
    // changes nothing must not sync at all.
    const bool unchanged = newValue.isValid() ? value(key) == newValue : !contains(key);
    if (unchanged && !m_lastSyncFailed)
        return !m_memoryOnly;
    const std::optional<SettingsFileStatus> file = writableFile(key, newValue);
    if (!file) {
        m_memory.insert(key, newValue);
        return false;
    }
    if (m_lastSyncFailed)
        startOverKeepingUnsavedChanges();
    if (newValue.isValid())
        m_settings->setValue(key, newValue);
    else
        m_settings->remove(key);
    // After the value: merged with another writer's, it may hold more than this one.
    applyMergedValues();
    m_settings->sync();
    const QSettings::Status status = m_settings->status();
    // A format error is about what was read; the write itself went through.
    m_lastSyncFailed = status == QSettings::AccessError;
    tellAdopted();
    if (m_lastSyncFailed) {
        logLine(LogPrefix + QStringLiteral("Could not write settings to ") + m_filePath +
                QStringLiteral(": ") + describeStatus(status));
        return false;
    }
    // The write goes through a new file renamed into place, which is this process's; the
    // user's mode, owner and group are put back.
    keepOwnerAndMode(m_filePath, *file);
    rememberFileOnDisk();
    return true;
}

std::optional<SettingsFileStatus> QSettingsDefaultsStore::writableFile(const QString& key,
                                                                       const QVariant& newValue)
{
    if (m_memoryOnly)
        return std::nullopt;
    // Looked at before every write: the path may have changed since the start.
    const SettingsFileStatus file = settingsFileStatus(m_filePath);
    if (file.kind == SettingsFileKind::ReadOnly)
        keepInMemory(readOnly(m_filePath));
    else if (file.kind == SettingsFileKind::Other)
        keepInMemory(notRegular(m_filePath));
    // QSettings opens its lock itself and waits for it without end.
    else if (const QString lock = lockFileProblem(m_filePath + QStringLiteral(".lock"));
             !lock.isEmpty())
        keepInMemory(lock);
    if (!m_memoryOnly) {
        const SettingsFileIdentity now = settingsFileIdentity(m_filePath);
        if (now != m_seen && mayFollowChangedLink(now))
            mergeChangesOnDisk(key, newValue);
    }
    if (m_memoryOnly || !keepCopyIfAsked(file.kind))
        return std::nullopt;
    return file;
}

bool QSettingsDefaultsStore::keepCopyIfAsked(SettingsFileKind kind)
{
    if (kind == SettingsFileKind::Missing) {
        // Nothing there to lose; what this store writes next, it writes back as it is.
        m_keepCopy = false;
        m_checkedRewrite = true;
        return true;
    }
    // A sync writes the whole file in QSettings' own form: anything it would not write back
    // as it was (a hand edit, a value of an unknown kind, bytes that are not UTF-8) is kept
    // once, before the first write of the run.
    if (!m_checkedRewrite) {
        m_checkedRewrite = true;
        m_keepCopy = m_keepCopy || !rewritesUnchanged();
    }
    if (!m_keepCopy)
        return true;
    QString error;
    const QString copy = copyAside(m_filePath, &error);
    if (copy.isEmpty()) {
        keepInMemory(QStringLiteral("no copy of ") + m_filePath +
                     QStringLiteral(" as it was could be kept (") + error + QLatin1Char(')'));
        return false;
    }
    m_keepCopy = false;
    logLine(LogPrefix + QStringLiteral("Kept a copy of ") + m_filePath +
            QStringLiteral(" as it was in ") + copy + QStringLiteral(" before rewriting it") +
            (m_copyReason.isEmpty() ? QString() : QStringLiteral(": ") + m_copyReason) +
            QLatin1Char('.'));
    m_copyReason.clear();
    return true;
}

bool QSettingsDefaultsStore::rewritesUnchanged() const
{
    QString error;
    const std::optional<QByteArray> bytes = readRegularFile(m_filePath, &error);
    if (!bytes)
        return true; // nothing there to lose
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return false;
    const QString renderedPath = scratch.filePath(QStringLiteral("rendered.conf"));
    {
        const QSettings current(m_filePath, QSettings::IniFormat);
        QSettings rendered(renderedPath, QSettings::IniFormat);
        for (const QString& key : current.allKeys())
            rendered.setValue(key, current.value(key));
    }
    return readRegularFile(renderedPath, &error).value_or(QByteArray()) == *bytes;
}

void QSettingsDefaultsStore::keepInMemory(const QString& why)
{
    m_memoryOnly = true;
    logLine(LogPrefix + QStringLiteral("Settings are kept in memory only: ") + why +
            QLatin1Char('.'));
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
