// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "settings/device_specific_settings.h"
#include "support/qt_printers.h"

#include <gtest/gtest.h>

#include <limits>

using namespace veloquill;

TEST(DeviceSettingsJson, TableReadsBackExactlyAndIsStoredAsOneObjectOfThreeMemberRecords)
{
    const DeviceSettingsTable table = {
        {"4660-171-Head Mouse-N/A", {77.41935483870967, 1.0 / 3.0, false}},
        {"1-2-Zöno X \"Pro\" \\ 2\t\x01-SN 7", {0.1, 5e-324, true}},
        {"3-4-Big-N/A", {1e300, -0.0001, false}},
        {"5-6-Small-N/A", {1e-05, 20.0, false}}};
    EXPECT_EQ(decodeDeviceSettingsTable(*encodeDeviceSettingsTable(table).data).table, table);

    // Integers read as reals; members a newer version wrote are written back after the three.
    // The stored form: one line, one object.
    const QByteArray extra =
        R"({"a":{"pointerSpeed":1,"pointerAcceleration":2,"pointerDisableAcceleration":false,)"
        R"("precisionFactor":0.5,"colour":"blue","curve":[0.5,{"x":null}]}})";
    const auto decoded = decodeDeviceSettingsTable(extra);
    EXPECT_EQ(decoded.table->value("a").pointerAcceleration, 2.0);
    EXPECT_EQ(*encodeDeviceSettingsTable(*decoded.table).data, extra);
}

// Records from before the precision factor read with the default; it is written back as a
// member of its own (above), which a version that does not know it keeps as any other.
TEST(DeviceSettingsJson, PrecisionFactorIsOptionalAndWrittenAsAMemberOfItsOwn)
{
    const QByteArray head = R"({"a":{"pointerSpeed":1,"pointerAcceleration":2,)"
                            R"("pointerDisableAcceleration":false)";
    const std::pair<QByteArray, double> cases[] = {
        {"", 0.25}, {R"(,"precisionFactor":"x")", 0.25}, {R"(,"precisionFactor":0.05)", 0.05}};
    for (const auto& [members, factor] : cases) {
        const auto decoded = decodeDeviceSettingsTable(head + members + "}}");
        EXPECT_EQ(decoded.table->value("a").precisionFactor, factor) << members.toStdString();
        EXPECT_TRUE(decoded.table->value("a").otherMembers.isEmpty());
    }
}

TEST(DeviceSettingsJson, FaultyRecordIsSetApartAndAnythingButAnObjectFailsTheWholeTable)
{
    const QByteArray good = R"({"ok":{"pointerSpeed":0.5,"pointerAcceleration":1,)"
                            R"("pointerDisableAcceleration":true},)";
    // Written back as QJsonDocument writes them: members in name order.
    const QList<QByteArray> faultyRecords = {
        R"({"pointerAcceleration":1,"pointerDisableAcceleration":true})",
        R"({"pointerDisableAcceleration":true,"pointerSpeed":0.5})",
        R"({"pointerAcceleration":1,"pointerSpeed":0.5})",
        R"({"pointerAcceleration":1,"pointerDisableAcceleration":1,"pointerSpeed":0.5})",
        R"({"pointerAcceleration":1,"pointerDisableAcceleration":true,"pointerSpeed":"1"})",
        "[0.5,1,true]"};
    for (const QByteArray& record : faultyRecords) {
        const auto decoded = decodeDeviceSettingsTable(good + "\"a\":" + record + "}");
        EXPECT_EQ(decoded.table->keys(), QStringList{"ok"}) << record.toStdString();
        EXPECT_EQ(decoded.unreadableRecords.value("a"), record);
        EXPECT_EQ(decoded.recordErrors.size(), 1);
    }
    for (const char* text : {"[]", "\"text\"", "", "{\"a\":", "{\"a\":NaN}"}) {
        const auto decoded = decodeDeviceSettingsTable(text);
        EXPECT_TRUE(!decoded.table && !decoded.error.isEmpty()) << text;
    }

    // NaN and infinities cannot be written: the whole table fails, naming the record.
    const auto encoded =
        encodeDeviceSettingsTable({{"good", {0.5, 1.0, false}},
                                   {"bad", {0.5, std::numeric_limits<double>::infinity(), false}}});
    EXPECT_FALSE(encoded.data);
    EXPECT_TRUE(encoded.error.contains("\"bad\""));
}

// JSON readers keep the last of two equal names without a word; the table names the device.
TEST(DeviceSettingsJson, DeviceStoredTwiceKeepsItsLastRecordAndIsNamed)
{
    const QByteArray record = R"({"pointerSpeed":0.1,"pointerAcceleration":1,)"
                              R"("pointerDisableAcceleration":false})";
    const auto decoded = decodeDeviceSettingsTable(
        "{\"a\\\"\":" + record + ",\"b\":" + record +
        " , \"a\\u0022\" :" + QByteArray(record).replace("0.1", "0.7") + "}");
    EXPECT_EQ(decoded.duplicatedRecords, QStringList{"a\""});
    EXPECT_EQ(decoded.table->value("a\"").pointerSpeed, 0.7);
}
