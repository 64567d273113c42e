// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "settings/ini_text.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

using namespace veloquill;

namespace {
QByteArray writtenByQSettings(const QHash<QString, QVariant>& values)
{
    QTemporaryDir scratch;
    const QString path = scratch.filePath("qsettings.conf");
    {
        QSettings settings(path, QSettings::IniFormat);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            settings.setValue(it.key(), it.value());
    }
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing");
}
} // namespace

// Today's and earlier versions read the file with QSettings, and the first write of a run keeps
// a copy of a file QSettings would not write back as it was: the text must be QSettings' own.
TEST(IniText, IsByteForByteWhatQSettingsWrites)
{
    const char blob[] = "{\"1-2-Zöno X-N/A\":[0.5]}\n\\;=@[x]\r\0\x01\x31\xff\x7f\x61 end";
    const QHash<QString, QVariant> values = {
        {"Veloquill_DeviceSpecificSettings_v1", QByteArray(blob, sizeof blob - 1)},
        {"plainData", QByteArray("@ByteArray( x )")},
        {"emptyData", QByteArray()},
        {"preferredDeviceName", "Zono X, Model 2"},
        {"Z.first-by_case", " spaced "},
        {"at", "@ByteArray(x)"},
        {"controls", QString::fromUtf8("é\x7f\x01"
                                       "a\x1b"
                                       "7\t\"q\"\\")},
        {"empty", ""},
        {"0", "true"},
    };
    EXPECT_EQ(IniText().text(values).value_or("none"), writtenByQSettings(values));
}

TEST(IniText, LeavesToQSettingsWhatTheStoreNeverWrites)
{
    const QHash<QString, QVariant> cases[] = {
        {{"group/key", "x"}},      {{"Zöno", "x"}},
        {{"key with space", "x"}}, {{"list", QStringList{"a", "b"}}},
        {{"number", 3}},
    };
    for (const auto& values : cases)
        EXPECT_EQ(IniText().text(values), std::nullopt) << values.keys().value(0).toStdString();
}

// A slider step changes one record of a long table: only that stretch is escaped again, and
// the text must still be what escaping the whole value gives — also where the change meets an
// escape (a hex digit after a hex escape is escaped too).
TEST(IniText, ValueChangedInPlacesReadsAsIfWrittenWhole)
{
    QByteArray blob;
    for (int i = 0; i < 3000; ++i)
        blob += "{\"" + QByteArray::number(i) +
                "-\xc3\xa9\x01"
                "a\":" +
                QByteArray(i % 7, 'b') + (i % 5 ? "\"" : "\\") + char(i % 3 ? 'f' : '\0') + "}";
    const auto changed = [&blob](qsizetype at, qsizetype removed, const QByteArray& inserted) {
        return QByteArray(blob).replace(at, removed, inserted);
    };
    const QByteArray steps[] = {
        blob,
        changed(20000, 1, "9"),
        changed(20000, 0,
                "\x7f"
                "e"),
        changed(4095, 3, ""),
        changed(0, 1, "\x02"),
        changed(blob.size() - 1, 1, "f\x01"),
        changed(30000, 200, QByteArray(5000, 'c')),
        QByteArray("short"),
        blob,
    };
    IniText text;
    for (const QByteArray& step : steps) {
        const QHash<QString, QVariant> values = {{"table", step}, {"name", "x"}};
        ASSERT_EQ(text.text(values), IniText().text(values)) << step.size();
    }
    // A byte that leaves a hex escape pending, at every place around where escaping restarts,
    // before a hex digit.
    QByteArray digits;
    for (int i = 0; i < 6000; ++i)
        digits += "\"1";
    for (qsizetype at = 4000; at < 4300; ++at) {
        IniText fresh;
        (void)fresh.text({{"table", digits}});
        const QHash<QString, QVariant> values = {
            {"table", QByteArray(digits).replace(at, 1, "\x01")}};
        ASSERT_EQ(fresh.text(values), IniText().text(values)) << at;
    }
}
