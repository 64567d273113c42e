// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "settings/qsettings_defaults_store.h"

#include "support/log.h"
#include "support/settings_file.h"
#include "support/xdg_folders.h"

#include <QFile>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>

#include <unistd.h>

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

std::optional<QByteArray> asData(const QVariant& value)
{
    if (value.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return value.toByteArray();
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
    // Looked at before the read: a write in between is then merged at the next write.
    SettingsFileStatus status;
    m_seen = settingsFileIdentity(m_filePath, &status);
    const SettingsFileKind kind = status.kind;
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
    m_base = m_values;
    m_originalOwner = m_seen.exists ? m_seen.owner : ::geteuid();
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
    return asData(value(key));
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

// Merging what another writer changed in the file since this process last read or wrote it.
// Read by QSettings from a scratch copy: QSettings shares what it read of a path between its
// objects and may not notice a change within the same millisecond, so the file itself is not
// handed to it.
QSettingsDefaultsStore::Values QSettingsDefaultsStore::readValues(const QByteArray& bytes,
                                                                  bool* formatError)
{
    QTemporaryDir scratch;
    QFile copy(scratch.filePath(QStringLiteral("theirs.conf")));
    if (!scratch.isValid() || !copy.open(QIODevice::WriteOnly) ||
        copy.write(bytes) != bytes.size()) {
        *formatError = true;
        return {};
    }
    copy.close();
    const QSettings theirs(copy.fileName(), QSettings::IniFormat);
    *formatError = theirs.status() != QSettings::NoError;
    Values values;
    for (const QString& key : theirs.allKeys())
        values.insert(key, theirs.value(key));
    return values;
}

void QSettingsDefaultsStore::mergeDataWith(const QString& key, DataMergeFunction merge,
                                           std::function<void()> adopted)
{
    if (merge)
        m_merges.insert(key, {std::move(merge), std::move(adopted)});
    else
        m_merges.remove(key);
}

bool QSettingsDefaultsStore::mayFollowChangedLink(const SettingsFileIdentity& now)
{
    // A link there from the start is followed as long as it leads to the same file: dotfile
    // managers keep the file elsewhere. One that leads elsewhere now could lead to another
    // user's file, which a run as root would rewrite as its own.
    const bool relinked = now.isLink && (!m_seen.isLink || now.target != m_seen.target);
    if (!relinked || now.owner == m_originalOwner)
        return true;
    keepInMemory(m_filePath + QStringLiteral(" now leads to ") + QFile::decodeName(now.target) +
                 QStringLiteral(", a file of another owner"));
    return false;
}

void QSettingsDefaultsStore::mergeChangesOnDisk(const QString& key, const QVariant& newValue)
{
    Values mine = m_values;
    if (newValue.isValid())
        mine.insert(key, newValue);
    else
        mine.remove(key);
    QString error;
    const std::optional<QByteArray> bytes = readRegularFile(m_filePath, &error);
    if (!bytes) {
        // Gone: nothing on disk to lose, and this process's values are written whole.
        m_merged = mine;
        return;
    }
    bool formatError = false;
    const Values theirs = readValues(*bytes, &formatError);
    QSet<QString> keys(m_base.keyBegin(), m_base.keyEnd());
    keys.unite(QSet<QString>(mine.keyBegin(), mine.keyEnd()));
    keys.unite(QSet<QString>(theirs.keyBegin(), theirs.keyEnd()));
    // The start-up check again, on the file as it is now; a file QSettings cannot parse
    // whole has nothing to take in: it is kept as a copy and this process's values written.
    m_checkedRewrite = false;
    m_keepCopy = m_keepCopy || formatError;
    m_adopted.clear();
    QStringList replaced;
    Values merged;
    for (const QString& each : std::as_const(keys)) {
        merged.insert(each, formatError ? mine.value(each)
                                        : mergedValue(each, m_base.value(each), mine.value(each),
                                                      theirs.value(each), &replaced));
    }
    m_merged = std::move(merged);
    if (!replaced.isEmpty()) {
        replaced.sort();
        m_keepCopy = true;
        m_copyReason = QStringLiteral("another writer changed ") +
                       replaced.join(QStringLiteral(", ")) +
                       QStringLiteral(" too, and this run's values replace its own");
    }
}

QVariant QSettingsDefaultsStore::mergedValue(const QString& key, const QVariant& base,
                                             const QVariant& mine, const QVariant& theirs,
                                             QStringList* replaced)
{
    if (mine == theirs || theirs == base)
        return mine;
    const auto custom = m_merges.constFind(key);
    if (custom != m_merges.cend() && mine.typeId() == QMetaType::QByteArray) {
        const QByteArray mineData = mine.toByteArray();
        const DataMerge merged = custom->merge(asData(base), mineData, asData(theirs));
        if (merged.replacedTheirs)
            replaced->append(key);
        if (merged.value != mineData)
            m_adopted.append(key);
        return merged.value;
    }
    if (mine == base) {
        if (custom != m_merges.cend())
            m_adopted.append(key);
        return theirs;
    }
    replaced->append(key);
    return mine;
}

void QSettingsDefaultsStore::applyMergedValues()
{
    if (!m_merged)
        return;
    // An invalid value stands for a key that neither side keeps.
    m_values.clear();
    for (auto it = m_merged->cbegin(); it != m_merged->cend(); ++it) {
        if (it.value().isValid())
            m_values.insert(it.key(), it.value());
    }
    m_merged.reset();
}

void QSettingsDefaultsStore::tellAdopted()
{
    const QStringList adopted = std::exchange(m_adopted, {});
    for (const QString& key : adopted) {
        if (const auto custom = m_merges.constFind(key); custom->adopted)
            custom->adopted();
    }
    if (!adopted.isEmpty())
        logLine(LogPrefix + QStringLiteral("Took in what another writer saved to ") + m_filePath +
                QStringLiteral(" under ") + adopted.join(QStringLiteral(", ")) + QLatin1Char('.'));
}

} // namespace veloquill
