// GNOME's per-kind pointer settings through GSettings' keyfile backend in a fresh config
// folder: what reads and writes store on disk, what is refused, and change notices.
#include "device/gnome/gnome_settings_keys.h"
#include "support/main_loop.h"
#include "support/qt_printers.h"
#include "support/required_programs.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <utility>

namespace veloquill::gnome {
namespace {

using test::runMainLoopUntil;

// GLib reads XDG_CONFIG_HOME once per process, so one folder serves every test.
class ConfigHome : public ::testing::Environment
{
public:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
        qputenv("GSETTINGS_BACKEND", "keyfile");
    }
    QTemporaryDir dir;
};
auto* const configHome =
    static_cast<ConfigHome*>(::testing::AddGlobalTestEnvironment(new ConfigHome));

// The text the keyfile holds for the key; nothing when it holds none.
std::optional<QString> stored(SettingKey key)
{
    QFile file(configHome->dir.filePath("glib-2.0/settings/keyfile"));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QString group = '[' + schemaId(key.schema).replace('.', '/') + ']';
    bool inGroup = false;
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n')) {
        if (line.startsWith('['))
            inGroup = line == group;
        else if (inGroup && line.startsWith(keyName(key.key) + '='))
            return line.section('=', 1);
    }
    return std::nullopt;
}

const SettingKey kMouseSpeed{Schema::Mouse, Key::Speed};
const SettingKey kTouchpadProfile{Schema::Touchpad, Key::AccelProfile};

TEST(GnomeSettings, WriteStoresAndResetRemoves)
{
    struct Case
    {
        SettingKey key;
        QVariant defaultValue, written;
        QString storedText;
    } const cases[] = {
        {kMouseSpeed, 0.0, 0.5, "0.5"},
        {kTouchpadProfile, QString("default"), QString("flat"), "'flat'"},
        {{Schema::PointingStick, Key::Speed}, 0.0, -0.25, "-0.25"},
    };
    GnomeSettingsKeys keys;
    ASSERT_TRUE(keys.available());
    for (const auto& [key, defaultValue, written, storedText] : cases) {
        SCOPED_TRACE(storedText.toStdString());
        EXPECT_EQ(keys.defaultValue(key), defaultValue);
        EXPECT_EQ(keys.value(key), defaultValue);
        EXPECT_EQ(keys.userValue(key), std::nullopt);

        ASSERT_TRUE(keys.write(key, written));
        keys.sync();
        EXPECT_EQ(keys.value(key), written);
        EXPECT_EQ(keys.userValue(key), written);
        EXPECT_EQ(stored(key), storedText);

        keys.reset(key);
        keys.sync();
        EXPECT_EQ(keys.value(key), defaultValue);
        EXPECT_EQ(keys.userValue(key), std::nullopt);
        EXPECT_EQ(stored(key), std::nullopt);
    }
}

TEST(GnomeSettings, RefusedWritesChangeNothing)
{
    const std::pair<SettingKey, QVariant> cases[] = {
        {kMouseSpeed, 1.5},                     // out of range
        {kTouchpadProfile, QString("fast")},    // not one of the profiles
        {{Schema::Trackball, Key::Speed}, 0.5}, // no such key
        {kMouseSpeed, QString("0.5")},          // wrong type
        {kTouchpadProfile, 1.0},                // wrong type
    };
    GnomeSettingsKeys keys;
    for (const auto& [key, written] : cases) {
        SCOPED_TRACE(written.toString().toStdString());
        const QVariant before = keys.value(key);
        EXPECT_FALSE(keys.write(key, written));
        EXPECT_EQ(keys.value(key), before);
        EXPECT_EQ(keys.userValue(key), std::nullopt);
        EXPECT_EQ(stored(key), std::nullopt);
    }
}

TEST(GnomeSettings, TrackballHasNoSpeed)
{
    GnomeSettingsKeys keys;
    const SettingKey trackballSpeed{Schema::Trackball, Key::Speed};
    EXPECT_FALSE(keys.value(trackballSpeed).isValid());
    EXPECT_FALSE(keys.defaultValue(trackballSpeed).isValid());
    EXPECT_EQ(keys.userValue(trackballSpeed), std::nullopt);
}

TEST(GnomeSettings, ChangesFromThisAndOtherWritersArriveOnTheMainLoop)
{
    ASSERT_NO_FATAL_FAILURE(test::requirePrograms({{"gsettings", "libglib2.0-bin"}}));
    GnomeSettingsKeys keys;
    std::vector<SettingKey> seen;
    QObject::connect(&keys, &GnomeSettingsKeys::changed,
                     [&](SettingKey key) { seen.push_back(key); });
    const auto saw = [&](SettingKey key) { return std::ranges::count(seen, key) > 0; };

    ASSERT_TRUE(keys.write(kMouseSpeed, 0.25));
    EXPECT_TRUE(runMainLoopUntil([&] { return saw(kMouseSpeed); }));

    // Another process writes the keyfile; GSettings learns of it through its file monitor.
    // A key of the schema that is not ours changes first and is passed over.
    seen.clear();
    const QString touchpad = schemaId(Schema::Touchpad);
    ASSERT_EQ(QProcess::execute("gsettings", {"set", touchpad, "left-handed", "right"}), 0);
    ASSERT_EQ(QProcess::execute("gsettings", {"set", touchpad, "accel-profile", "adaptive"}), 0);
    EXPECT_TRUE(runMainLoopUntil([&] { return saw(kTouchpadProfile); }))
        << "GLib's main context runs only under Qt's GLib event dispatcher (QT_NO_GLIB unset)";
    EXPECT_EQ(seen, std::vector<SettingKey>{kTouchpadProfile});
    EXPECT_EQ(keys.value(kTouchpadProfile), QString("adaptive"));

    keys.reset(kMouseSpeed);
    keys.reset(kTouchpadProfile);
}

// GLib searches its schema folders once per process, so a copy of this program runs with
// none: it must come up without GNOME's schemas, refusing everything, instead of aborting.
TEST(GnomeSettings, WithoutSchemasNothingIsAvailable)
{
    if (qEnvironmentVariableIsSet("VELOQUILL_WITHOUT_SCHEMAS")) {
        GnomeSettingsKeys keys;
        EXPECT_FALSE(keys.available());
        EXPECT_FALSE(keys.value(kMouseSpeed).isValid());
        EXPECT_EQ(keys.userValue(kMouseSpeed), std::nullopt);
        EXPECT_FALSE(keys.defaultValue(kMouseSpeed).isValid());
        EXPECT_FALSE(keys.write(kMouseSpeed, 0.5));
        keys.reset(kMouseSpeed);
        keys.sync();
        return;
    }
    QTemporaryDir empty;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("VELOQUILL_WITHOUT_SCHEMAS", "1");
    environment.insert("XDG_DATA_DIRS", empty.path());
    environment.insert("XDG_DATA_HOME", empty.path());
    environment.remove("GSETTINGS_SCHEMA_DIR");
    QProcess copy;
    copy.setProcessEnvironment(environment);
    copy.setProcessChannelMode(QProcess::ForwardedChannels);
    const auto* self = ::testing::UnitTest::GetInstance()->current_test_info();
    copy.start(QCoreApplication::applicationFilePath(),
               {QString("--gtest_filter=%1.%2").arg(self->test_suite_name(), self->name())});
    ASSERT_TRUE(copy.waitForFinished(60000));
    EXPECT_EQ(copy.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(copy.exitCode(), 0);
}

} // namespace
} // namespace veloquill::gnome
