// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The originals of the devices this program has changed, kept on disk so that they survive a
// crash: the next run (or `veloquill --restore`) puts them back instead of taking the changed
// values for the device's own. One file per backend scope (an X display, or KWin) under
// $XDG_RUNTIME_DIR, which the session ends with; written whole, to a temporary file that is
// renamed over it (and synced first unless the folder is a tmpfs, whose files a sync cannot
// keep beyond the machine's run anyway). A backend keeps its values in it as named bytes.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace veloquill {

// What the journal knows of this program's own writes to a property.
enum class JournalWritten
{
    Unknown, // not recorded (a journal of an earlier version): any value counts as its own
    Never,   // never written: it is never put back
    Value    // `written` holds the value last written, in the property's type and format
};

// A device property as the backend held it, by name, so it reads back on any connection: an X
// property with its type and format, or a KWin property ("d" or "b", 8-bit items).
struct JournalProperty
{
    JournalProperty() = default;
    JournalProperty(QString name, QString type, int format, int count, QByteArray bytes)
        : name(std::move(name)), type(std::move(type)), format(format), count(count),
          bytes(std::move(bytes))
    {}

    QString name;
    QString type;
    int format = 0;
    int count = 0;
    QByteArray bytes;
    JournalWritten writtenState = JournalWritten::Unknown;
    QByteArray written;
    friend bool operator==(const JournalProperty&, const JournalProperty&) = default;
};

// The vendor and product ids KWin keeps a device's settings under, beside its name.
struct JournalVendorProduct
{
    std::uint32_t vendor = 0;
    std::uint32_t product = 0;
    friend bool operator==(const JournalVendorProduct&, const JournalVendorProduct&) = default;
};

// A device as the backend names it across what it outlives. On X11 by its XInput id and name:
// both stay while the X server runs, across restarts of this program (the journal names the
// server too, see load, as a new one may give another device the same pair). On KWin by its
// vendor, product and name, which KWin keeps its settings under and which stay when the device
// is plugged in again under another event node; deviceId is 0 then, and `node` names the event
// node, so that identical devices (one vendor, product and name) have an entry each.
struct JournalDevice
{
    JournalDevice() = default;
    JournalDevice(int deviceId, QString name, std::vector<JournalProperty> properties = {},
                  std::optional<JournalVendorProduct> vendorProduct = std::nullopt,
                  QString node = {})
        : deviceId(deviceId), name(std::move(name)), properties(std::move(properties)),
          vendorProduct(vendorProduct), node(std::move(node))
    {}

    int deviceId = 0;
    QString name;
    std::vector<JournalProperty> properties;
    std::optional<JournalVendorProduct> vendorProduct;
    // Empty where the backend names no node, and in journals of earlier versions.
    QString node;
    bool sameDevice(const JournalDevice& other) const
    {
        return deviceId == other.deviceId && name == other.name &&
               vendorProduct == other.vendorProduct && node == other.node;
    }
    friend bool operator==(const JournalDevice&, const JournalDevice&) = default;
};

// Whose journal it is: the scope names the file and is written in it ("display"); the log
// prefix and the name of what the server mark stands for ("X server") go into log lines.
struct RestoreJournalOwner
{
    QString scope;
    QString logPrefix;
    QString server;
};

// The mark of journals that last as long as the runtime folder, which a restart of the machine
// empties: the boot id ("unknown" when it cannot be read).
QString bootMark();

// A libinput setting as the desktop backends journal it: a speed as a double's 8 bytes
// (type "d"), a profile switch as one byte (type "b"); the value last written, if any.
// (T is double or bool.)
template <typename T>
JournalProperty journalProperty(const QString& name, T value, std::optional<T> written);
double journalDouble(const QByteArray& bytes);
bool journalBool(const QByteArray& bytes);

// What the server mark a journal was written with says of the server now.
enum class JournalServer
{
    Same,   // the journal's devices are this server's
    Ended,  // that server has verifiably ended, and its devices with it
    Unknown // no telling: the journal is kept, never used nor removed
};

class RestoreJournal
{
public:
    // The journal of that owner in that directory (empty: $XDG_RUNTIME_DIR).
    RestoreJournal(const QString& directory, RestoreJournalOwner owner);

    // Why the backend would never have held that property of the device as it stands; empty
    // if it could.
    using Check = std::function<QString(const JournalDevice&, const JournalProperty&)>;
    using ServerCheck = std::function<JournalServer(const QString& journalMark)>;

    // Takes in what an earlier run left, with one log line. A file that cannot be read whole,
    // is not a regular file, names another scope, or whose server `server` cannot vouch for
    // is renamed aside; one left on a server that has ended is removed. Each property is
    // checked on its own: one `check` (or the journal's own form) finds fault with is named
    // and skipped, the file as found is kept aside, and the rest is taken in.
    void load(const ServerCheck& server, const Check& check = {});
    // The server is the same exactly when the marks are equal (a boot id: one another boot
    // wrote has ended).
    void load(const QString& serverMark, const Check& check = {});
    // The entry of the device `key` names (its properties are not compared).
    const JournalDevice* find(const JournalDevice& key) const;
    // Adds the device (replacing an earlier entry for it) and writes the journal before
    // returning; a log line says when it could not be written.
    void record(JournalDevice device, const QString& serverMark);
    // The device's values are back (or it is gone for good): its entry goes, and the journal
    // with it once empty.
    void forget(const JournalDevice& key);
    // From holdWrites on, entries forgotten leave the file together, with one write at
    // releaseWrites (a crash meanwhile leaves them on record, and a later restore finds them
    // back already); record still writes at once.
    void holdWrites() { m_held = true; }
    void releaseWrites();
    // Every device is back as found: nothing left to keep.
    void remove();
    const std::vector<JournalDevice>& devices() const { return m_devices; }
    QString path() const { return m_path; }
    // What is not back as found, each named with where its originals are kept: the entries
    // still on record and what load set aside. Empty when everything is back.
    QStringList notPutBack() const;

private:
    void write();
    // What is on record is written; the file goes once nothing is.
    void writeOrRemove();
    void setAsideWhole(const QString& why, const QStringList& named);

    RestoreJournalOwner m_owner;
    QString m_serverMark;
    QString m_path; // empty when the runtime folder cannot keep it
    QString m_unusable;
    bool m_reportedUnusable = false;
    bool m_held = false;
    bool m_heldChanges = false;
    std::optional<bool> m_durable; // whether writes are synced: known from the first write on
    std::vector<JournalDevice> m_devices;
    QStringList m_setAside; // what load set aside, each with where it is kept
};

} // namespace veloquill
