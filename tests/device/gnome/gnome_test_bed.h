// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What GNOME tests stand on: input devices described to the real libudev by umockdev (the
// process runs under umockdev-wrapper), and GSettings' keyfile in a config folder of the test's.

#include "device/gnome/gnome_settings_keys.h"
#include "device/restore_journal.h"

#include <QFile>
#include <QString>

#include <umockdev.h>

#include <memory>

namespace veloquill::test {

class PointerTestBed
{
public:
    // Whether umockdev's preload redirects udev here; asked after the testbed exists, as
    // umockdev decides by looking at /sys.
    bool active() const { return umockdev_in_mock_environment(); }
    // Adds input<n> and its node event<n>, marked as udev marks its kind (`mark`, and
    // `alsoMark`, as udev marks trackballs and touchpads mice too); umockdev announces the node.
    // Returns the node's sys path.
    QByteArray add(const QByteArray& n, const char* name, unsigned vendor, unsigned product,
                   const char* mark, const char* alsoMark = "ID_INPUT_MOUSE")
    {
        const QByteArray vendorText = QByteArray::number(vendor, 16).rightJustified(4, '0');
        const QByteArray productText = QByteArray::number(product, 16).rightJustified(4, '0');
        gchar* input =
            umockdev_testbed_add_device(m_bed.get(), "input", "input" + n, nullptr, "id/vendor",
                                        vendorText.data(), "id/product", productText.data(), "name",
                                        name, nullptr, mark, "1", alsoMark, "1", nullptr);
        gchar* event = umockdev_testbed_add_device(
            m_bed.get(), "input", "event" + n, input, nullptr, "DEVNAME",
            ("/dev/input/event" + n).data(), mark, "1", alsoMark, "1", nullptr);
        const QByteArray path = event;
        g_free(input);
        g_free(event);
        return path;
    }
    void announce(const QByteArray& path, const char* action)
    {
        umockdev_testbed_uevent(m_bed.get(), path, action);
    }
    // The node leaves, announced, with its input device.
    void unplug(const QByteArray& path)
    {
        announce(path, "remove");
        umockdev_testbed_remove_device(m_bed.get(), path);
        umockdev_testbed_remove_device(m_bed.get(), path.left(path.lastIndexOf('/')));
    }
    UMockdevTestbed* get() const { return m_bed.get(); }

private:
    std::unique_ptr<UMockdevTestbed, void (*)(void*)> m_bed{umockdev_testbed_new(), g_object_unref};
};

// What the keyfile under `configHome` holds for the key, as GSettings wrote it ('flat' for a
// profile, 0.5 for a speed); invalid when the user has no value. Read afresh each time:
// QSettings' cache can keep the content of a file another process has just replaced.
inline QVariant keyfileValue(const QString& configHome, gnome::SettingKey key)
{
    const std::unique_ptr<GKeyFile, void (*)(GKeyFile*)> file(g_key_file_new(), g_key_file_free);
    g_key_file_load_from_file(file.get(),
                              QFile::encodeName(configHome + "/glib-2.0/settings/keyfile"),
                              G_KEY_FILE_NONE, nullptr);
    const std::unique_ptr<gchar, void (*)(gpointer)> value(
        g_key_file_get_value(file.get(), gnome::schemaId(key.schema).replace('.', '/').toUtf8(),
                             keyName(key.key).toUtf8(), nullptr),
        g_free);
    return value ? QVariant(QString::fromUtf8(value.get())) : QVariant();
}

// A journal as a run that did not quit leaves it: the user's mouse speed 0.5, written 1.0; the
// profile the user never set, written 'flat'.
inline const char* const kGnomeJournalFile = "veloquill-restore-gnome.json";
inline QString gnomeJournal()
{
    return R"({"devices":[{"id":0,"name":"org.gnome.desktop.peripherals.mouse","properties":[)"
           R"({"count":8,"data":"AAAAAAAA4D8=","format":8,"name":"speed","type":"value",)"
           R"("written":"AAAAAAAA8D8="},{"count":1,"data":"AA==","format":8,)"
           R"("name":"accel-profile","type":"none","written":"AQ=="}]}],"display":"gnome",)"
           R"("server":")" +
           bootMark() + R"("})";
}

} // namespace veloquill::test
