// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "settings/qsettings_defaults_store.h"

#include "support/log.h"
#include "support/settings_file.h"
#include "support/xdg_folders.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

namespace veloquill {

namespace {
const QString TrueText = QStringLiteral("true");
const QString FalseText = QStringLiteral("false");
const QString LogPrefix = QStringLiteral("QSettingsDefaultsStore: ");

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
    QString error;
    bool formatError = false;
    if (const std::optional<QByteArray> bytes = readRegularFile(m_filePath, &error))
        m_values = readValues(*bytes, &formatError);
    else
        formatError = kind != SettingsFileKind::Missing; // there, but not readable
    rememberFileOnDisk();
    m_originalOwner = m_seen.exists ? m_seen.owner : effectiveUserId();
    if (kind == SettingsFileKind::ReadOnly)
        keepInMemory(readOnly(m_filePath));
    // A file QSettings could not parse whole would lose what it skipped at the first write.
    if (formatError)
        m_keepCopy = true;
}

QVariant QSettingsDefaultsStore::value(const QString& key) const
{
    if (const auto kept = m_memory.constFind(key); kept != m_memory.cend())
        return *kept;
    return m_values.value(key);
}

bool QSettingsDefaultsStore::contains(const QString& key) const
{
    if (const auto kept = m_memory.constFind(key); kept != m_memory.cend())
        return kept->isValid();
    return m_values.contains(key);
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
    // What the store already holds is not written again: every write rewrites the whole
    // file, values QSettings cannot write back as they were included, so a start that
    // changes nothing must not write at all.
    const bool unchanged = newValue.isValid() ? value(key) == newValue : !contains(key);
    if (unchanged && !m_lastSyncFailed)
        return !m_memoryOnly;
    const std::optional<FileOnDisk> file = writableFile(key, newValue);
    if (!file && m_memoryOnly) {
        m_lock.reset();
        m_memory.insert(key, newValue);
        return false;
    }
    // A write that fails keeps the value, for the next write that succeeds.
    if (newValue.isValid())
        m_values.insert(key, newValue);
    else
        m_values.remove(key);
    // After the value: merged with another writer's, it may hold more than this one.
    applyMergedValues();
    m_lastSyncFailed = !file || !writeValues(*file);
    m_lock.reset();
    tellAdopted();
    if (m_lastSyncFailed) {
        logLine(LogPrefix + QStringLiteral("Could not write settings to ") + m_filePath +
                QStringLiteral(": access error"));
        return false;
    }
    m_base = m_values;
    return true;
}

std::optional<QSettingsDefaultsStore::FileOnDisk>
QSettingsDefaultsStore::writableFile(const QString& key, const QVariant& newValue)
{
    if (m_memoryOnly)
        return std::nullopt;
    // Taken before the look at the file, so that no other writer replaces it between the look
    // and the write. QSettings of another process waits for it as for its own.
    m_lock = std::make_unique<SettingsFileLock>();
    QString why;
    switch (m_lock->take(m_filePath + QStringLiteral(".lock"), &why)) {
    case SettingsFileLock::Outcome::Taken:
        break;
    case SettingsFileLock::Outcome::Refused:
        keepInMemory(why);
        return std::nullopt;
    case SettingsFileLock::Outcome::Failed:
        return std::nullopt;
    }
    // Looked at before every write: the path may have changed since the start.
    FileOnDisk file;
    file.identity = settingsFileIdentity(m_filePath, &file.status);
    if (file.status.kind == SettingsFileKind::ReadOnly)
        keepInMemory(readOnly(m_filePath));
    else if (file.status.kind == SettingsFileKind::Other)
        keepInMemory(notRegular(m_filePath));
    else if (file.identity != m_seen && mayFollowChangedLink(file.identity))
        mergeChangesOnDisk(key, newValue);
    if (m_memoryOnly || !keepCopyIfAsked(file.status.kind))
        return std::nullopt;
    return file;
}

bool QSettingsDefaultsStore::writeValues(const FileOnDisk& before)
{
    // The file a link leads to is replaced, and the link kept.
    const QString target =
        before.identity.isLink ? QFile::decodeName(before.identity.target) : m_filePath;
    struct stat written = {};
    QString error;
    if (!replaceFileDurably(target, rendered(m_values, m_iniText), before.status, &written, &error))
        return false;
    m_seen = writtenFileIdentity(written, before.identity.isLink, before.identity.target);
    return true;
}

QByteArray QSettingsDefaultsStore::rendered(const Values& values, IniText& ini)
{
    if (std::optional<QByteArray> text = ini.text(values))
        return *std::move(text);
    // Values of other kinds, read from a file written by hand or by a newer version.
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("rendered.conf"));
    {
        QSettings settings(path, QSettings::IniFormat);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            settings.setValue(it.key(), it.value());
    }
    QString error;
    return readRegularFile(path, &error).value_or(QByteArray());
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
    bool formatError = false;
    const Values values = readValues(*bytes, &formatError);
    IniText fresh;
    return !formatError && rendered(values, fresh) == *bytes;
}

void QSettingsDefaultsStore::keepInMemory(const QString& why)
{
    m_memoryOnly = true;
    logLine(LogPrefix + QStringLiteral("Settings are kept in memory only: ") + why +
            QLatin1Char('.'));
}

} // namespace veloquill
