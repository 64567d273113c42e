// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A stand-in for KWin's input device interface, run as its own process on a test's private
// bus: org.kde.KWin with the manager and one object per device, read and written through
// org.freedesktop.DBus.Properties with KWin's types (s, u, b, d), pointerAcceleration clamped
// to −1…1, defaults speed 0 and adaptive unless given others, and no change signals from
// devices, as KWin exports them. Like KWin it writes each changed setting into a file (its
// kcminputrc) that a restart reads back, and gives a device added again (under any sysName)
// what was set for its vendor, product and name. Tests steer it through the interface
// org.veloquill.KWinStandIn on the manager's path, also to make it slow (each answer held
// back a while, in order) or refuse every Set with an error.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

#include <algorithm>

namespace {

const QString kRoot = "/org/kde/KWin/InputDevice";
const QString kInvalidArgs = "org.freedesktop.DBus.Error.InvalidArgs";

class StandInKWin : public QDBusVirtualObject
{
public:
    explicit StandInKWin(QString stateFile) : m_stateFile(std::move(stateFile))
    {
        QFile file(m_stateFile);
        const QJsonObject saved =
            QJsonDocument::fromJson(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray())
                .object();
        m_state = saved["devices"].toObject();
        m_kept = saved["kept"].toObject();
    }

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override
    {
        if (message.interface() == "org.veloquill.KWinStandIn")
            return control(bus, message.member(), message.arguments()) &&
                   bus.send(message.createReply());
        const QDBusMessage answer = respond(message);
        if (m_delayMs == 0)
            return bus.send(answer);
        QTimer::singleShot(m_delayMs, [bus, answer] { bus.send(answer); });
        return true;
    }

private:
    QDBusMessage respond(const QDBusMessage& message)
    {
        const QVariantList in = message.arguments();
        const QString member = message.member();
        const auto reply = [&](const QVariantList& out) { return message.createReply(out); };
        if (message.path() == kRoot && member == "Get")
            return reply({QVariant::fromValue(QDBusVariant(QStringList(m_state.keys())))});
        const QString sysName = message.path().mid(kRoot.size() + 1);
        if (!m_state.contains(sysName))
            return message.createErrorReply(
                "org.freedesktop.DBus.Error.UnknownObject",
                QString("No such object path '%1'").arg(message.path()));
        const QVariantMap properties = deviceProperties(sysName);
        const QString name = in.value(1).toString();
        if (member == "GetAll")
            return reply({properties});
        if (member == "Get" && properties.contains(name))
            return reply({QVariant::fromValue(QDBusVariant(properties.value(name)))});
        const QVariant value = in.value(2).value<QDBusVariant>().variant();
        if (member != "Set" || value.metaType() != properties.value(name).metaType())
            return message.createErrorReply(kInvalidArgs, name);
        if (!m_refusal.isEmpty())
            return message.createErrorReply(m_refusal, "Refused\n" + name);
        if (name == "pointerAcceleration")
            store(sysName, "speed", std::clamp(value.toDouble(), -1.0, 1.0));
        else if (name.startsWith("pointerAccelerationProfile"))
            store(sysName, "flat", value.toBool() == name.endsWith("Flat"));
        else
            return message.createErrorReply(kInvalidArgs, name + " is read-only");
        return reply({});
    }

    QVariantMap deviceProperties(const QString& sysName) const
    {
        const QJsonObject device = m_state[sysName].toObject();
        const bool pointer = device["pointer"].toBool(), settable = device["acceleration"].toBool();
        const bool flat = device["flat"].toBool(), defaultFlat = device["defaultFlat"].toBool();
        return {{"name", device["name"].toString()},
                {"vendor", uint(device["vendor"].toInt())},
                {"product", uint(device["product"].toInt())},
                {"pointer", pointer},
                {"supportsPointerAcceleration", settable},
                {"defaultPointerAcceleration", device["defaultSpeed"].toDouble()},
                {"pointerAcceleration", device["speed"].toDouble()},
                {"supportsPointerAccelerationProfileFlat", settable},
                {"supportsPointerAccelerationProfileAdaptive", settable},
                {"defaultPointerAccelerationProfileFlat", defaultFlat},
                {"defaultPointerAccelerationProfileAdaptive", settable && !defaultFlat},
                {"pointerAccelerationProfileFlat", flat},
                {"pointerAccelerationProfileAdaptive", !flat}};
    }

    // Like KWin, a value it already holds is neither stored again nor written to its file.
    void store(const QString& sysName, const char* key, const QJsonValue& value)
    {
        QJsonObject device = m_state[sysName].toObject();
        if (device[key] == value)
            return;
        device[key] = value;
        m_state[sysName] = device;
        QJsonObject kept = m_kept[keptName(device)].toObject();
        kept[key] = value;
        m_kept[keptName(device)] = kept;
        save();
    }

    void save() const
    {
        QFile file(m_stateFile);
        if (file.open(QIODevice::WriteOnly))
            file.write(QJsonDocument(QJsonObject{{"devices", m_state}, {"kept", m_kept}}).toJson());
    }

    static QString keptName(const QJsonObject& device)
    {
        return QString("%1/%2/%3")
            .arg(device["vendor"].toInt())
            .arg(device["product"].toInt())
            .arg(device["name"].toString());
    }

    bool control(const QDBusConnection& bus, const QString& member, const QVariantList& in)
    {
        if (member == "setBehaviour") {
            m_delayMs = in.value(0).toInt();
            m_refusal = in.value(1).toString();
            return true;
        }
        const QString sysName = in.value(0).toString();
        const bool removing = member == "removeDevice";
        if (removing)
            m_state.remove(sysName);
        QJsonObject device{
            {"name", in.value(1).toString()},       {"vendor", in.value(2).toInt()},
            {"product", in.value(3).toInt()},       {"pointer", in.value(4).toBool()},
            {"acceleration", in.value(5).toBool()}, {"speed", in.value(6).toDouble()},
            {"flat", in.value(7).toBool()},         {"defaultSpeed", in.value(8).toDouble()},
            {"defaultFlat", in.value(9).toBool()}};
        const QJsonObject kept = m_kept[keptName(device)].toObject();
        for (auto setting = kept.begin(); setting != kept.end(); ++setting)
            device[setting.key()] = setting.value();
        if (member == "addDevice")
            m_state[sysName] = device;
        save();
        // Unannounced, the device is gone while its clients still think it there.
        if (removing && !in.value(1).toBool())
            return true;
        return bus.send(QDBusMessage::createSignal(kRoot, "org.kde.KWin.InputDeviceManager",
                                                   removing ? "deviceRemoved" : "deviceAdded")
                        << sysName);
    }

    QString m_stateFile;
    QJsonObject m_state; // sysName → the device
    QJsonObject m_kept;  // "vendor/product/name" → the settings set for it
    int m_delayMs = 0;
    QString m_refusal; // the error name every Set is answered with; empty: none
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    StandInKWin kwin(app.arguments().value(1));
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.registerVirtualObject(kRoot, &kwin, QDBusConnection::SubPath);
    // The name last, as KWin has its objects in place when it is seen.
    return bus.registerService("org.kde.KWin") ? app.exec() : 1;
}
