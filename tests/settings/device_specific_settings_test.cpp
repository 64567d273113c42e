#include "settings/decimal_formatter.h"
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

    // Integers read as reals; unknown members are read past and not written again. The stored
    // form: one line, one object, records of exactly three members.
    const auto extra = decodeDeviceSettingsTable(
        R"({"a":{"pointerSpeed":1,"pointerAcceleration":2,"pointerDisableAcceleration":false,)"
        R"("colour":"blue"}})");
    EXPECT_EQ(extra.table, DeviceSettingsTable({{"a", {1.0, 2.0, false}}}));
    EXPECT_EQ(
        *encodeDeviceSettingsTable(*extra.table).data,
        R"({"a":{"pointerSpeed":1,"pointerAcceleration":2,"pointerDisableAcceleration":false}})");
}

TEST(DeviceSettingsJson, AnyFaultFailsTheWholeTable)
{
    const QByteArray good = R"({"ok":{"pointerSpeed":0.5,"pointerAcceleration":1,)"
                            R"("pointerDisableAcceleration":true},)";
    const QList<QByteArray> faulty = {
        good + R"("a":{"pointerAcceleration":1,"pointerDisableAcceleration":true}})",
        good + R"("a":{"pointerSpeed":0.5,"pointerDisableAcceleration":true}})",
        good + R"("a":{"pointerSpeed":0.5,"pointerAcceleration":1}})",
        good +
            R"("a":{"pointerSpeed":0.5,"pointerAcceleration":1,"pointerDisableAcceleration":1}})",
        good +
            R"("a":{"pointerSpeed":"1","pointerAcceleration":1,"pointerDisableAcceleration":true}})",
        good + R"("a":[0.5,1,true]})",
        "[]",
        "\"text\"",
        "",
        "{\"a\":",
        "{\"a\":NaN}"};
    for (const QByteArray& text : faulty) {
        const auto decoded = decodeDeviceSettingsTable(text);
        EXPECT_TRUE(!decoded.table && !decoded.error.isEmpty()) << text.toStdString();
    }

    // NaN and infinities cannot be written: the whole table fails, naming the record.
    const auto encoded =
        encodeDeviceSettingsTable({{"good", {0.5, 1.0, false}},
                                   {"bad", {0.5, std::numeric_limits<double>::infinity(), false}}});
    EXPECT_FALSE(encoded.data);
    EXPECT_TRUE(encoded.error.contains("\"bad\""));
}

// Fraction digits, decimal commas and refused text are seen in the device controls' fields.
TEST(DecimalFormatter, GroupsThousandsAsTheUsersLocaleDoes)
{
    const DecimalFormatter english(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(english.toString(1234.5), "1,234.5");
}
