// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "settings/defaults_store.h"
#include "settings/ini_text.h"
#include "support/settings_file.h"

#include <QHash>
#include <QVariant>

#include <memory>

namespace veloquill {

// The program's defaults store: an INI file written to disk after every change, so a
// crash right after a change loses nothing. QSettings reads it; this store writes it itself, in
// QSettings' form and under QSettings' lock, with one flush to disk per write (QSettings would
// also flush its lock) and one look at the path.
//
// INI keeps a data value apart from text (@ByteArray(...)), but a boolean is written as the
// text true or false, as QSettings does; reading a boolean therefore accepts exactly those
// two texts, so a hand-edited file reads as expected.
//
// The file is only ever a regular file (a symbolic link to one is followed and kept). When
// it cannot be one — no config folder, a FIFO, device or folder in its place, no owner
// write permission — the values live in memory for this run, with one log line saying so.
//
// Another writer (a second instance on another display, a hand edit) may change the file
// while this one runs. Before each write, a file that is not as this process last read or
// wrote it is read again and merged key by key: what only the other writer changed is kept,
// and where both changed a key this process's value wins, a copy of the file as it was being
// kept first. Keys with a merge function of their own (the per-device table) are merged by
// it. A link that leads elsewhere than before, or one in place of the file, is written
// through only to a regular file of the original file's owner.
class QSettingsDefaultsStore final : public DefaultsStore
{
public:
    // ${XDG_CONFIG_HOME:-~/.config}/Veloquill/Veloquill.conf, or empty when neither names
    // a folder.
    static QString standardFilePath();

    explicit QSettingsDefaultsStore(const QString& filePath = standardFilePath());

    bool contains(const QString& key) const override;
    std::optional<QByteArray> data(const QString& key) const override;
    std::optional<QString> string(const QString& key) const override;
    std::optional<bool> boolean(const QString& key) const override;

    bool setData(const QString& key, const QByteArray& value) override;
    bool setString(const QString& key, const QString& value) override;
    bool setBoolean(const QString& key, bool value) override;
    bool remove(const QString& key) override;

    void keepCopyBeforeNextWrite() override;
    void mergeDataWith(const QString& key, DataMergeFunction merge,
                       std::function<void()> adopted) override;

private:
    using Values = QHash<QString, QVariant>;

    QVariant value(const QString& key) const;
    // Writes the value (an invalid one removes the key) and syncs the file at once.
    bool write(const QString& key, const QVariant& value);
    struct FileOnDisk
    {
        SettingsFileStatus status;
        SettingsFileIdentity identity;
    };
    // The file when this write may go to it, with the lock taken; nothing when it may not (the
    // values then live in memory) or the lock could not be taken (the write failed).
    std::optional<FileOnDisk> writableFile(const QString& key, const QVariant& newValue);
    // Writes m_values to the file; false when they did not reach the disk.
    bool writeValues(const FileOnDisk& before);
    // The values the INI bytes hold, and whether QSettings could read them all.
    static Values readValues(const QByteArray& bytes, bool* formatError);
    // The file's bytes for the values, in QSettings' form; `text` keeps what it can reuse.
    static QByteArray rendered(const Values& values, IniText& text);
    bool keepCopyIfAsked(SettingsFileKind kind);
    bool rewritesUnchanged() const;
    void keepInMemory(const QString& why);

    // Merging what another writer changed.
    struct KeyMerge
    {
        DataMergeFunction merge;
        std::function<void()> adopted;
    };
    // False when the path now leads somewhere this store must not write.
    bool mayFollowChangedLink(const SettingsFileIdentity& now);
    // Reads the changed file and plans the values to write.
    void mergeChangesOnDisk(const QString& key, const QVariant& newValue);
    QVariant mergedValue(const QString& key, const QVariant& base, const QVariant& mine,
                         const QVariant& theirs, QStringList* replaced);
    void applyMergedValues();
    void tellAdopted();

    // The file as this process last read or wrote it, and the values it held then.
    SettingsFileIdentity m_seen;
    Values m_base;
    uint m_originalOwner = 0;
    QHash<QString, KeyMerge> m_merges;
    std::optional<Values> m_merged; // what to write after a merge, once the copy is kept
    QStringList m_adopted;          // keys whose merge function's owner must hear of it
    QString m_copyReason;           // why the next copy is kept, when not the start-up check

    QString m_filePath;
    Values m_values;   // what the file holds once this process's writes have reached it
    IniText m_iniText; // the escaped table of the last write, for the next
    std::unique_ptr<SettingsFileLock> m_lock; // held from the look at the file to the write
    // Values that live in memory only; an invalid one stands for a removed key.
    QHash<QString, QVariant> m_memory;
    bool m_memoryOnly = false;
    bool m_keepCopy = false;
    bool m_checkedRewrite = false;
    bool m_lastSyncFailed = false;
};

} // namespace veloquill
