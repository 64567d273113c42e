// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "device/restore_journal.h"

#include "support/log.h"
#include "support/runtime_folder.h"
#include "support/settings_file.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <optional>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace veloquill {

QString bootMark()
{
    QFile file(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll().trimmed())
                                          : QStringLiteral("unknown");
}

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

template <typename T>
JournalProperty libinputProperty(const QString& name, T value, std::optional<T> written)
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
} // namespace

JournalProperty journalProperty(const QString& name, double value, std::optional<double> written)
{
    return libinputProperty(name, value, written);
}

JournalProperty journalProperty(const QString& name, bool value, std::optional<bool> written)
{
    return libinputProperty(name, value, written);
}

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

namespace {

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

// Every device of a well-formed journal of this display, or why it is not one.
std::optional<std::vector<JournalDevice>> devicesFromJson(const QByteArray& text,
                                                          const QString& displayName,
                                                          const QString& serverMark, QString* why,
                                                          bool* serverEnded)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (!document.isObject()) {
        *why = error.error != QJsonParseError::NoError ? error.errorString()
                                                       : QStringLiteral("not a journal");
        return std::nullopt;
    }
    if (document["display"].toString() != displayName) {
        *why = QStringLiteral("written for display \"") + document["display"].toString() +
               QLatin1Char('"');
        return std::nullopt;
    }
    *why = QStringLiteral("not a journal");
    if (!document["server"].isString())
        return std::nullopt;
    *serverEnded = document["server"].toString() != serverMark;
    if (*serverEnded || !document["devices"].isArray())
        return std::nullopt;
    std::vector<JournalDevice> devices;
    for (const QJsonValue& entry : document["devices"].toArray()) {
        const QJsonObject object = entry.toObject();
        JournalDevice device{object["id"].toInt(-1), object["name"].toString(), {}};
        if (object.contains("vendor")) {
            const qint64 vendor = object["vendor"].toInteger(-1);
            const qint64 product = object["product"].toInteger(-1);
            if (vendor < 0 || vendor > 0xffffffffLL || product < 0 || product > 0xffffffffLL)
                return std::nullopt;
            device.deviceId = 0;
            device.vendorProduct = JournalVendorProduct{static_cast<std::uint32_t>(vendor),
                                                        static_cast<std::uint32_t>(product)};
            device.node = object["node"].toString();
        }
        if (device.deviceId < 0 || device.deviceId > 0xffff || device.name.isEmpty() ||
            !object["properties"].isArray())
            return std::nullopt;
        for (const QJsonValue& value : object["properties"].toArray()) {
            const auto property = propertyFromJson(value);
            if (!property)
                return std::nullopt;
            device.properties.push_back(*property);
        }
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

// The first fault `check` finds with an entry, or empty.
QString faultOf(const std::vector<JournalDevice>& devices, const RestoreJournal::Check& check)
{
    for (const JournalDevice& device : devices) {
        if (QString why = check ? check(device) : QString(); !why.isEmpty())
            return QStringLiteral("device ") +
                   (device.vendorProduct ? QString()
                                         : QString::number(device.deviceId) + QLatin1Char(' ')) +
                   QLatin1Char('"') + device.name + QStringLiteral("\": ") + why;
    }
    return {};
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
    if (m_path.isEmpty())
        return;
    struct stat info = {};
    if (::lstat(QFile::encodeName(m_path).constData(), &info) != 0)
        return;
    m_serverMark = serverMark;
    QString why;
    bool serverEnded = false;
    std::optional<std::vector<JournalDevice>> devices;
    if (const auto text = readRegularFile(m_path, &why, false))
        devices = devicesFromJson(*text, m_owner.scope, serverMark, &why, &serverEnded);
    if (serverEnded) {
        QFile::remove(m_path);
        logLine(m_owner.logPrefix + QStringLiteral("removed ") + m_path + QStringLiteral(": its ") +
                m_owner.server + QStringLiteral(" has ended since, and its devices with it"));
        return;
    }
    if (devices) {
        why = faultOf(*devices, check);
        if (!why.isEmpty())
            devices.reset();
    }
    if (!devices) {
        const QString aside = setAside(m_path);
        logLine(m_owner.logPrefix + QStringLiteral("ignoring ") + m_path + QStringLiteral(" (") +
                why +
                (aside.isEmpty() ? QStringLiteral("); could not move it aside")
                                 : QStringLiteral("); kept as ") + aside));
        return;
    }
    m_devices = std::move(*devices);
    logLine(m_owner.logPrefix + QStringLiteral("a run that did not quit cleanly left ") + m_path +
            QStringLiteral("; its values are the originals of ") +
            QString::number(m_devices.size()) + QStringLiteral(" devices"));
}

const JournalDevice* RestoreJournal::find(const JournalDevice& key) const
{
    for (const JournalDevice& device : m_devices) {
        if (device.sameDevice(key))
            return &device;
    }
    return nullptr;
}

bool RestoreJournal::record(JournalDevice device, const QString& serverMark)
{
    std::erase_if(m_devices, [&](const JournalDevice& known) { return known.sameDevice(device); });
    m_devices.push_back(std::move(device));
    m_serverMark = serverMark;
    return write();
}

bool RestoreJournal::forget(const JournalDevice& key)
{
    if (std::erase_if(m_devices,
                      [&](const JournalDevice& known) { return known.sameDevice(key); }) == 0)
        return true;
    if (!m_devices.empty())
        return write();
    remove();
    return true;
}

bool RestoreJournal::write()
{
    // The journal is this program's own: whatever else stands at its path (a link, a FIFO, a
    // folder) is left alone, and the run goes on without one.
    const QString problem = m_path.isEmpty() ? m_unusable : ownFileProblem(m_path);
    if (!problem.isEmpty()) {
        if (!std::exchange(m_reportedUnusable, true)) {
            logLine(m_owner.logPrefix + QStringLiteral("no crash journal (") + problem +
                    QStringLiteral("); a crash now would leave devices changed"));
        }
        return false;
    }
    QJsonArray devices;
    for (const JournalDevice& known : m_devices)
        devices.append(toJson(known));
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path); // a temporary file, synced to disk and renamed over the journal
    file.open(QIODevice::WriteOnly);
    file.write(
        QJsonDocument(
            QJsonObject{{"display", m_owner.scope}, {"server", m_serverMark}, {"devices", devices}})
            .toJson(QJsonDocument::Compact));
    if (!file.commit()) {
        logLine(m_owner.logPrefix + QStringLiteral("cannot write ") + m_path +
                QStringLiteral(": ") + file.errorString() +
                QStringLiteral("; a crash now would leave devices changed"));
        return false;
    }
    syncDirectory(QFileInfo(m_path).absolutePath());
    return true;
}

void RestoreJournal::remove()
{
    m_devices.clear();
    if (!m_path.isEmpty() && ownFileProblem(m_path).isEmpty())
        QFile::remove(m_path);
}

} // namespace veloquill
