// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/restore_journal.h"

#include "support/log.h"
#include "support/settings_file.h"
#include "support/xdg_folders.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <optional>
#include <utility>

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <type_traits>

namespace veloquill {

namespace {
QByteArray bytesOf(double value)
{
    QByteArray bytes(sizeof value, Qt::Uninitialized);
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

QByteArray bytesOf(bool value)
{
    return QByteArray(1, value ? 1 : 0);
}

// ":0.1" and ":0" are one server: the screen number is dropped.
QString fileNameFor(QString displayName)
{
    const qsizetype colon = displayName.lastIndexOf(QLatin1Char(':'));
    const qsizetype dot = displayName.indexOf(QLatin1Char('.'), colon);
    if (colon >= 0 && dot > colon)
        displayName.truncate(dot);
    for (QChar& c : displayName) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('.'))
            c = QLatin1Char('_');
    }
    return QStringLiteral("veloquill-restore-") + displayName + QStringLiteral(".json");
}

// Every property a backend keeps is far smaller; a larger one is no journal's.
constexpr qint64 kMaxPropertyBytes = 1 << 16;

QJsonObject toJson(const JournalDevice& device)
{
    QJsonArray properties;
    for (const JournalProperty& property : device.properties) {
        QJsonObject object{{"name", property.name},
                           {"type", property.type},
                           {"format", property.format},
                           {"count", property.count},
                           {"data", QString::fromLatin1(property.bytes.toBase64())}};
        // Left out when unknown, as journals of earlier versions have it.
        if (property.writtenState == JournalWritten::Never)
            object["written"] = QJsonValue::Null;
        else if (property.writtenState == JournalWritten::Value)
            object["written"] = QString::fromLatin1(property.written.toBase64());
        properties.append(object);
    }
    QJsonObject object{{"name", device.name}, {"properties", properties}};
    if (device.vendorProduct) {
        object["vendor"] = static_cast<qint64>(device.vendorProduct->vendor);
        object["product"] = static_cast<qint64>(device.vendorProduct->product);
        if (!device.node.isEmpty())
            object["node"] = device.node;
    } else {
        object["id"] = device.deviceId;
    }
    return object;
}

// The bytes `count` items of `format` bits take, computed wide; -1 when that is no property.
qint64 byteSize(int format, qint64 count)
{
    if ((format != 8 && format != 16 && format != 32) || count < 0)
        return -1;
    const qint64 size = count * (format / 8);
    return size <= kMaxPropertyBytes ? size : -1;
}

std::optional<JournalProperty> propertyFromJson(const QJsonValue& value)
{
    const QJsonObject object = value.toObject();
    JournalProperty property{object["name"].toString(), object["type"].toString(),
                             object["format"].toInt(), object["count"].toInt(-1),
                             QByteArray::fromBase64(object["data"].toString().toLatin1())};
    const qint64 size = byteSize(property.format, property.count);
    bool wellFormed = !property.name.isEmpty() && !property.type.isEmpty() && size >= 0 &&
                      property.bytes.size() == size;
    const QJsonValue written = object["written"];
    if (written.isNull()) {
        property.writtenState = JournalWritten::Never;
    } else if (written.isString()) {
        property.writtenState = JournalWritten::Value;
        property.written = QByteArray::fromBase64(written.toString().toLatin1());
        wellFormed = wellFormed && property.written.size() == size;
    } else {
        wellFormed = wellFormed && written.isUndefined();
    }
    return wellFormed ? std::optional(property) : std::nullopt;
}

// A device of the journal as it names it, without its properties; why not, if it cannot be.
JournalDevice deviceFromJson(const QJsonObject& object, QString* why)
{
    JournalDevice device{object["id"].toInt(-1), object["name"].toString(), {}};
    if (object.contains("vendor")) {
        const qint64 vendor = object["vendor"].toInteger(-1);
        const qint64 product = object["product"].toInteger(-1);
        if (vendor < 0 || vendor > 0xffffffffLL || product < 0 || product > 0xffffffffLL)
            *why = QStringLiteral("no vendor and product ids");
        device.deviceId = 0;
        device.vendorProduct = JournalVendorProduct{static_cast<std::uint32_t>(vendor),
                                                    static_cast<std::uint32_t>(product)};
        device.node = object["node"].toString();
    }
    if (device.deviceId < 0 || device.deviceId > 0xffff || device.name.isEmpty() ||
        !object["properties"].isArray())
        *why = QStringLiteral("not a device entry");
    return device;
}

// An X device by id and name, a desktop's by name (vendor and product beside it), a GNOME
// settings schema by its id.
QString describeEntry(const JournalDevice& device)
{
    const QString name = QLatin1Char('"') + device.name + QLatin1Char('"');
    if (device.vendorProduct)
        return QStringLiteral("device ") + name;
    return device.deviceId > 0 ? QStringLiteral("device ") + QString::number(device.deviceId) +
                                     QLatin1Char(' ') + name
                               : name;
}

// One item of what is not back as found, with the file its originals are kept in.
QString keptIn(const QString& what, const QString& file)
{
    return what + QStringLiteral(" (in ") + file + QLatin1Char(')');
}

// What of the journal was skipped, and why.
struct JournalFault
{
    QString what;
    QString why;
};

// Every property of every entry that is well formed and passes `check`; what does not is
// named in `faults`. A device left with no property is left out.
std::vector<JournalDevice> entriesOf(const QJsonArray& entries, const RestoreJournal::Check& check,
                                     std::vector<JournalFault>* faults)
{
    std::vector<JournalDevice> devices;
    for (const QJsonValue& entry : entries) {
        QString why;
        JournalDevice device = deviceFromJson(entry.toObject(), &why);
        if (!why.isEmpty()) {
            faults->push_back({describeEntry(device), why});
            continue;
        }
        const QJsonArray properties = entry.toObject()["properties"].toArray();
        QStringList names;
        for (const QJsonValue& value : properties)
            names.append(value.toObject()["name"].toString());
        for (const QJsonValue& value : properties) {
            const QString name = value.toObject()["name"].toString();
            const auto property = propertyFromJson(value);
            why = !property                ? QStringLiteral("not a property as journals hold them")
                  : names.count(name) != 1 ? QStringLiteral("named twice")
                  : check                  ? check(device, *property)
                                           : QString();
            if (why.isEmpty())
                device.properties.push_back(*property);
            else
                faults->push_back(
                    {describeEntry(device) + QStringLiteral(" \"") + name + QLatin1Char('"'), why});
        }
        if (!device.properties.empty() || properties.isEmpty())
            devices.push_back(std::move(device));
    }
    return devices;
}

// The rename is only durable once the directory itself is on disk.
void syncDirectory(const QString& directory)
{
    const int fd = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// A folder on tmpfs is memory: a sync there only costs time, and what it holds ends with the
// machine's run, as the journal's meaning does.
bool onTmpfs(const QString& directory)
{
    struct statfs info = {};
    return ::statfs(QFile::encodeName(directory).constData(), &info) == 0 &&
           info.f_type == TMPFS_MAGIC;
}

// Writes `bytes` to a new file beside `path` and renames it over it, so that a crash leaves the
// old journal or the new one, never a mix; synced first when `durable`.
bool replaceFile(const QString& path, const QByteArray& bytes, bool durable, QString* error)
{
    const QByteArray target = QFile::encodeName(path);
    static const QByteArray ownPid = QByteArray::number(::getpid()); // one call, not one per write
    QByteArray name;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        name = target + ".new-" + ownPid + '-' + QByteArray::number(attempt);
        fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    bool ok = fd >= 0 && writeAll(fd, bytes);
    ok = ok && (!durable || ::fsync(fd) == 0);
    if (fd >= 0)
        ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(name.constData(), target.constData()) == 0;
    if (!ok) {
        *error = QString::fromLocal8Bit(std::strerror(errno ? errno : EIO));
        if (fd >= 0)
            ::unlink(name.constData());
    }
    return ok;
}

// A new name beside the file, never one that exists.
QString setAside(const QString& path)
{
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const QString aside = unreadableAside(path, attempt);
        struct stat info = {};
        if (::lstat(QFile::encodeName(aside).constData(), &info) != 0 &&
            ::rename(QFile::encodeName(path).constData(), QFile::encodeName(aside).constData()) ==
                0)
            return aside;
    }
    return {};
}
} // namespace

QString bootMark()
{
    QFile file(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll().trimmed())
                                          : QStringLiteral("unknown");
}

template <typename T>
JournalProperty journalProperty(const QString& name, T value, std::optional<T> written)
{
    const QByteArray bytes = bytesOf(value);
    JournalProperty property{name,
                             std::is_same_v<T, double> ? QStringLiteral("d") : QStringLiteral("b"),
                             8, static_cast<int>(bytes.size()), bytes};
    property.writtenState = written ? JournalWritten::Value : JournalWritten::Never;
    if (written)
        property.written = bytesOf(*written);
    return property;
}
template JournalProperty journalProperty(const QString&, double, std::optional<double>);
template JournalProperty journalProperty(const QString&, bool, std::optional<bool>);

double journalDouble(const QByteArray& bytes)
{
    double value = 0;
    std::memcpy(&value, bytes.constData(), std::min<std::size_t>(sizeof value, bytes.size()));
    return value;
}

bool journalBool(const QByteArray& bytes)
{
    return !bytes.isEmpty() && bytes.at(0) != 0;
}

RestoreJournal::RestoreJournal(const QString& directory, RestoreJournalOwner owner)
    : m_owner(std::move(owner))
{
    QString base = directory;
    if (base.isEmpty()) {
        const RuntimeFolder folder = runtimeFolder();
        // Nowhere to keep it: the program runs without one (it said so at start), and never
        // writes it beside whatever the current folder happens to be.
        m_unusable = folder.problem;
        base = folder.path;
    }
    if (m_unusable.isEmpty())
        m_path = QDir(base).filePath(fileNameFor(m_owner.scope));
}

void RestoreJournal::load(const QString& serverMark, const Check& check)
{
    load(
        [serverMark](const QString& mark) {
            return mark == serverMark ? JournalServer::Same : JournalServer::Ended;
        },
        check);
}

void RestoreJournal::load(const ServerCheck& server, const Check& check)
{
    if (m_path.isEmpty())
        return;
    struct stat info = {};
    if (::lstat(QFile::encodeName(m_path).constData(), &info) != 0)
        return;
    QString why;
    const auto bytes = readRegularFile(m_path, &why, false);
    QJsonParseError error{};
    const QJsonDocument document =
        bytes ? QJsonDocument::fromJson(*bytes, &error) : QJsonDocument();
    if (!document.isObject() || !document["server"].isString() || !document["devices"].isArray()) {
        if (bytes)
            why = error.error != QJsonParseError::NoError ? error.errorString()
                                                          : QStringLiteral("not a journal");
        setAsideWhole(why, {});
        return;
    }
    const QJsonArray entries = document["devices"].toArray();
    const QString scope = document["display"].toString();
    QStringList named;
    for (const QJsonValue& entry : entries) {
        QString unused;
        named.append(describeEntry(deviceFromJson(entry.toObject(), &unused)));
    }
    if (scope != m_owner.scope) {
        setAsideWhole(QStringLiteral("written for display \"") + scope + QLatin1Char('"'), named);
        return;
    }
    switch (server(document["server"].toString())) {
    case JournalServer::Ended:
        QFile::remove(m_path);
        logLine(m_owner.logPrefix + QStringLiteral("removed ") + m_path + QStringLiteral(": its ") +
                m_owner.server + QStringLiteral(" has ended since, and its devices with it"));
        return;
    case JournalServer::Unknown:
        setAsideWhole(QStringLiteral("cannot tell whether the ") + m_owner.server +
                          QStringLiteral(" it was written on has ended"),
                      named);
        return;
    case JournalServer::Same:
        break;
    }
    m_serverMark = document["server"].toString();
    std::vector<JournalFault> faults;
    m_devices = entriesOf(entries, check, &faults);
    if (!faults.empty()) {
        // The file as found stays for whoever wants the skipped values; the rest is on record.
        const QString aside = setAside(m_path);
        QStringList named;
        for (const JournalFault& fault : faults) {
            named.append(fault.what + QStringLiteral(": ") + fault.why);
            m_setAside.append(keptIn(fault.what, aside.isEmpty() ? m_path : aside));
        }
        logLine(m_owner.logPrefix + QStringLiteral("skipping in ") + m_path + QStringLiteral(": ") +
                named.join(QStringLiteral("; ")) +
                (aside.isEmpty() ? QStringLiteral("; could not keep the journal as found")
                                 : QStringLiteral("; the journal as found is kept as ") + aside));
        if (!aside.isEmpty() && !m_devices.empty())
            write();
    }
    logLine(m_owner.logPrefix + QStringLiteral("a run that did not quit cleanly left ") + m_path +
            QStringLiteral("; its values are the originals of ") +
            QString::number(m_devices.size()) + QStringLiteral(" devices"));
}

void RestoreJournal::setAsideWhole(const QString& why, const QStringList& named)
{
    const QString aside = setAside(m_path);
    logLine(m_owner.logPrefix + QStringLiteral("ignoring ") + m_path + QStringLiteral(" (") + why +
            (aside.isEmpty() ? QStringLiteral("); could not move it aside")
                             : QStringLiteral("); kept as ") + aside));
    const QString where = aside.isEmpty() ? m_path : aside;
    if (named.isEmpty())
        m_setAside.append(keptIn(QStringLiteral("what it held"), where));
    for (const QString& device : named)
        m_setAside.append(keptIn(device, where));
}

QStringList RestoreJournal::notPutBack() const
{
    QStringList items = m_setAside;
    for (const JournalDevice& device : m_devices)
        items.append(keptIn(describeEntry(device), m_path.isEmpty()
                                                       ? QStringLiteral("no journal: ") + m_unusable
                                                       : m_path));
    return items;
}

const JournalDevice* RestoreJournal::find(const JournalDevice& key) const
{
    for (const JournalDevice& device : m_devices) {
        if (device.sameDevice(key))
            return &device;
    }
    return nullptr;
}

void RestoreJournal::record(JournalDevice device, const QString& serverMark)
{
    std::erase_if(m_devices, [&](const JournalDevice& known) { return known.sameDevice(device); });
    m_devices.push_back(std::move(device));
    m_serverMark = serverMark;
    write();
}

void RestoreJournal::forget(const JournalDevice& key)
{
    if (std::erase_if(m_devices,
                      [&](const JournalDevice& known) { return known.sameDevice(key); }) == 0)
        return;
    if (m_held)
        m_heldChanges = true;
    else
        writeOrRemove();
}

void RestoreJournal::releaseWrites()
{
    m_held = false;
    if (std::exchange(m_heldChanges, false))
        writeOrRemove();
}

void RestoreJournal::writeOrRemove()
{
    if (m_devices.empty())
        remove();
    else
        write();
}

void RestoreJournal::write()
{
    m_heldChanges = false;
    // The journal is this program's own: whatever else stands at its path (a link, a FIFO, a
    // folder) is left alone, and the run goes on without one.
    const QString problem = m_path.isEmpty() ? m_unusable : ownFileProblem(m_path);
    if (!problem.isEmpty()) {
        if (!std::exchange(m_reportedUnusable, true)) {
            logLine(m_owner.logPrefix + QStringLiteral("no crash journal (") + problem +
                    QStringLiteral("); a crash now would leave devices changed"));
        }
        return;
    }
    QJsonArray devices;
    for (const JournalDevice& known : m_devices)
        devices.append(toJson(known));
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!m_durable) {
        QDir().mkpath(folder);
        m_durable = !onTmpfs(folder);
    }
    const QByteArray bytes =
        QJsonDocument(
            QJsonObject{{"display", m_owner.scope}, {"server", m_serverMark}, {"devices", devices}})
            .toJson(QJsonDocument::Compact);
    QString error;
    if (!replaceFile(m_path, bytes, *m_durable, &error)) {
        logLine(m_owner.logPrefix + QStringLiteral("cannot write ") + m_path +
                QStringLiteral(": ") + error +
                QStringLiteral("; a crash now would leave devices changed"));
        return;
    }
    if (*m_durable)
        syncDirectory(folder);
}

void RestoreJournal::remove()
{
    m_devices.clear();
    if (!m_path.isEmpty() && ownFileProblem(m_path).isEmpty())
        QFile::remove(m_path);
}

} // namespace veloquill
