// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Merging what another writer changed in the file since this process last read or wrote it.
#include "settings/qsettings_defaults_store.h"

#include "support/log.h"

#include <QFile>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>

namespace veloquill {

namespace {
std::optional<QByteArray> asData(const QVariant& value)
{
    if (value.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return value.toByteArray();
}
} // namespace

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

void QSettingsDefaultsStore::rememberFileOnDisk()
{
    m_seen = settingsFileIdentity(m_filePath);
    m_base = m_values;
}

void QSettingsDefaultsStore::tellAdopted()
{
    const QStringList adopted = std::exchange(m_adopted, {});
    for (const QString& key : adopted) {
        if (const auto custom = m_merges.constFind(key); custom->adopted)
            custom->adopted();
    }
    if (!adopted.isEmpty())
        logLine(QStringLiteral("QSettingsDefaultsStore: Took in what another writer saved to ") +
                m_filePath + QStringLiteral(" under ") + adopted.join(QStringLiteral(", ")) +
                QLatin1Char('.'));
}

} // namespace veloquill
