// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// GSettings' keyfile backend, in a config folder set before GLib reads it (once per process).
#include "device/gnome/gnome_backend.h"
#include "device/gnome/gnome_settings_keys.h"
#include "gnome_test_bed.h"
#include "support/main_loop.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace veloquill::gnome {
namespace {

const QTemporaryDir home;
[[maybe_unused]] const bool configured = qputenv("XDG_CONFIG_HOME", home.path().toUtf8()) &&
                                         qputenv("GSETTINGS_BACKEND", "keyfile"); // not the user's

const SettingKey kMouseSpeed{Schema::Mouse, Key::Speed};
const SettingKey kTouchpadProfile{Schema::Touchpad, Key::AccelProfile};

// What is taken is in the backend's tests, which read the keyfile.
TEST(GnomeSettings, WritesOutsideAKeysRangeOrSchemaAreRefused)
{
    GnomeSettingsKeys keys;
    const std::pair<SettingKey, QVariant> refused[] = {{kMouseSpeed, 1.5},
                                                       {kTouchpadProfile, QString("fast")},
                                                       {kTouchpadProfile, QString()},
                                                       {{Schema::Trackball, Key::Speed}, 0.5}};
    for (const auto& [key, written] : refused) {
        EXPECT_FALSE(keys.write(key, written)) << written.toString().toStdString();
        EXPECT_FALSE(test::keyfileValue(home.path(), key).isValid());
    }
}

TEST(GnomeSettings, ChangesFromThisAndOtherWritersArriveOnTheMainLoop)
{
    GnomeSettingsKeys keys;
    std::vector<SettingKey> seen;
    QObject::connect(&keys, &GnomeSettingsKeys::changed, [&](SettingKey k) { seen.push_back(k); });
    ASSERT_TRUE(keys.write(kMouseSpeed, 0.25));
    // Another process writes the keyfile, the file monitor tells; a key not ours is passed over.
    for (auto [key, value] : {std::pair("left-handed", "right"), {"accel-profile", "adaptive"}})
        QProcess::execute("gsettings", {"set", schemaId(Schema::Touchpad), key, value});
    EXPECT_TRUE(test::runMainLoopUntil([&] { return seen.size() > 1; }));
    EXPECT_EQ(seen, (std::vector{kMouseSpeed, kTouchpadProfile}));
}

// ctest runs this once more where GLib finds no schemas: refused, not aborted; and what a run
// that did not quit left stays on record for a run that has them.
TEST(GnomeSettings, AvailableOnlyWithTheSchemas)
{
    const bool installed = qgetenv("XDG_DATA_DIRS") != "/nonexistent";
    EXPECT_EQ(GnomeSettingsKeys().available(), installed);
    const QTemporaryDir journal;
    QFile file(journal.filePath(test::kGnomeJournalFile));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(test::gnomeJournal().toUtf8()) > 0);
    file.close();
    EXPECT_EQ(GnomeBackend(journal.path()).restoreUnlisted(), installed ? 0u : 2u);
    EXPECT_NE(file.exists(), installed);
}

} // namespace
} // namespace veloquill::gnome
