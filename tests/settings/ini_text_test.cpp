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
    EXPECT_EQ(iniText(values).value_or("none"), writtenByQSettings(values));
}

TEST(IniText, LeavesToQSettingsWhatTheStoreNeverWrites)
{
    const QHash<QString, QVariant> cases[] = {
        {{"group/key", "x"}},      {{"Zöno", "x"}},
        {{"key with space", "x"}}, {{"list", QStringList{"a", "b"}}},
        {{"number", 3}},
    };
    for (const auto& values : cases)
        EXPECT_EQ(iniText(values), std::nullopt) << values.keys().value(0).toStdString();
}
