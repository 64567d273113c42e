#include "device/restore_journal.h"

#include "support/log.h"
#include "support/settings_file.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <unistd.h>

namespace veloquill {

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

QJsonObject toJson(const JournalDevice& device)
{
    QJsonArray properties;
    for (const JournalProperty& property : device.properties) {
        properties.append(QJsonObject{{"name", property.name},
                                      {"type", property.type},
                                      {"format", property.format},
                                      {"count", property.count},
                                      {"data", QString::fromLatin1(property.bytes.toBase64())}});
    }
    return {{"id", device.deviceId}, {"name", device.name}, {"properties", properties}};
}

std::optional<JournalProperty> propertyFromJson(const QJsonValue& value)
{
    const QJsonObject object = value.toObject();
    JournalProperty property{object["name"].toString(), object["type"].toString(),
                             object["format"].toInt(), object["count"].toInt(-1),
                             QByteArray::fromBase64(object["data"].toString().toLatin1())};
    const bool wellFormed =
        !property.name.isEmpty() && !property.type.isEmpty() &&
        (property.format == 8 || property.format == 16 || property.format == 32) &&
        property.count >= 0 && property.bytes.size() == property.count * (property.format / 8);
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
        if (device.deviceId < 0 || device.name.isEmpty() || !object["properties"].isArray())
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

// A new name beside the file, never one that exists.
QString setAside(const QString& path)
{
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const QString aside = unreadableAside(path, attempt);
        if (!QFile::exists(aside) && QFile::rename(path, aside))
            return aside;
    }
    return {};
}
} // namespace

RestoreJournal::RestoreJournal(const QString& directory, RestoreJournalOwner owner)
    : m_owner(std::move(owner))
{
    const QString base = directory.isEmpty()
                             ? QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)
                             : directory;
    m_path = QDir(base).filePath(fileNameFor(m_owner.scope));
}

void RestoreJournal::load(const QString& serverMark)
{
    QFile file(m_path);
    if (!file.exists())
        return;
    QString why = QStringLiteral("cannot be opened");
    bool serverEnded = false;
    std::optional<std::vector<JournalDevice>> devices;
    if (file.open(QIODevice::ReadOnly))
        devices = devicesFromJson(file.readAll(), m_owner.scope, serverMark, &why, &serverEnded);
    file.close();
    if (serverEnded) {
        QFile::remove(m_path);
        logLine(m_owner.logPrefix + QStringLiteral("removed ") + m_path + QStringLiteral(": its ") +
                m_owner.server + QStringLiteral(" has ended since, and its devices with it"));
        return;
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

const JournalDevice* RestoreJournal::find(int deviceId, const QString& name) const
{
    for (const JournalDevice& device : m_devices) {
        if (device.deviceId == deviceId && device.name == name)
            return &device;
    }
    return nullptr;
}

bool RestoreJournal::record(JournalDevice device, const QString& serverMark)
{
    std::erase_if(m_devices, [&](const JournalDevice& known) {
        return known.deviceId == device.deviceId && known.name == device.name;
    });
    m_devices.push_back(std::move(device));
    QJsonArray devices;
    for (const JournalDevice& known : m_devices)
        devices.append(toJson(known));
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path); // a temporary file, synced to disk and renamed over the journal
    file.open(QIODevice::WriteOnly);
    file.write(
        QJsonDocument(
            QJsonObject{{"display", m_owner.scope}, {"server", serverMark}, {"devices", devices}})
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
    QFile::remove(m_path);
}

} // namespace veloquill
