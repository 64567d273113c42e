// A stand-in for KWin's input device interface, run as its own process on a test's private
// bus: org.kde.KWin with the manager and one object per device, KWin's property types, and
// its clamping of pointerAcceleration to −1…1. Like KWin it keeps every device's settings in
// a file (its kcminputrc) that a restart reads back. Tests steer it through /StandIn.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <map>
#include <memory>

namespace {

const QString kManagerPath = QStringLiteral("/org/kde/KWin/InputDevice");
QString g_stateFile;
QJsonObject g_state; // sysName → the device's properties

void save()
{
    QFile file(g_stateFile);
    if (file.open(QIODevice::WriteOnly))
        file.write(QJsonDocument(g_state).toJson());
}

class Device : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.KWin.InputDevice")
    Q_PROPERTY(QString name READ name CONSTANT)
    Q_PROPERTY(QString sysName READ sysName CONSTANT)
    Q_PROPERTY(quint32 vendor READ vendor CONSTANT)
    Q_PROPERTY(quint32 product READ product CONSTANT)
    Q_PROPERTY(bool pointer READ pointer CONSTANT)
    Q_PROPERTY(bool keyboard READ keyboard CONSTANT)
    Q_PROPERTY(bool touchpad READ never CONSTANT)
    Q_PROPERTY(bool enabled READ enabled CONSTANT)
    Q_PROPERTY(bool supportsPointerAcceleration READ supportsAcceleration CONSTANT)
    Q_PROPERTY(qreal defaultPointerAcceleration READ defaultSpeed CONSTANT)
    Q_PROPERTY(qreal pointerAcceleration READ speed WRITE setSpeed)
    Q_PROPERTY(bool supportsPointerAccelerationProfileFlat READ supportsAcceleration CONSTANT)
    Q_PROPERTY(bool supportsPointerAccelerationProfileAdaptive READ supportsAcceleration CONSTANT)
    Q_PROPERTY(bool defaultPointerAccelerationProfileFlat READ never CONSTANT)
    Q_PROPERTY(bool defaultPointerAccelerationProfileAdaptive READ supportsAcceleration CONSTANT)
    Q_PROPERTY(bool pointerAccelerationProfileFlat READ flat WRITE setFlat)
    Q_PROPERTY(bool pointerAccelerationProfileAdaptive READ adaptive WRITE setAdaptive)

public:
    explicit Device(QString sysName) : m_sysName(std::move(sysName)) {}
    QString name() const { return value("name").toString(); }
    QString sysName() const { return m_sysName; }
    quint32 vendor() const { return value("vendor").toInt(); }
    quint32 product() const { return value("product").toInt(); }
    bool pointer() const { return value("pointer").toBool(); }
    bool keyboard() const { return !pointer(); }
    bool never() const { return false; }
    bool enabled() const { return true; }
    bool supportsAcceleration() const { return value("acceleration").toBool(); }
    qreal defaultSpeed() const { return 0; }
    qreal speed() const { return value("speed").toDouble(); }
    void setSpeed(qreal speed) { store("speed", std::clamp(speed, -1.0, 1.0)); }
    bool flat() const { return value("flat").toBool(); }
    bool adaptive() const { return !flat(); }
    void setFlat(bool flat) { store("flat", flat); }
    void setAdaptive(bool adaptive) { store("flat", !adaptive); }

private:
    QJsonValue value(const char* key) const { return g_state[m_sysName].toObject()[key]; }
    // Like KWin, a value it already holds is neither stored again nor written to its file.
    void store(const char* key, const QJsonValue& value)
    {
        if (this->value(key) == value)
            return;
        QJsonObject device = g_state[m_sysName].toObject();
        device[key] = value;
        g_state[m_sysName] = device;
        save();
    }
    QString m_sysName;
};

class Manager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.KWin.InputDeviceManager")
    Q_PROPERTY(QStringList devicesSysNames READ devicesSysNames)

public:
    QStringList devicesSysNames() const { return g_state.keys(); }
    void exportDevice(const QString& sysName)
    {
        m_devices[sysName] = std::make_unique<Device>(sysName);
        QDBusConnection::sessionBus().registerObject(kManagerPath + QLatin1Char('/') + sysName,
                                                     m_devices[sysName].get(),
                                                     QDBusConnection::ExportAllProperties);
    }

Q_SIGNALS:
    void deviceAdded(const QString& sysName);
    void deviceRemoved(const QString& sysName);

private:
    std::map<QString, std::unique_ptr<Device>> m_devices;
};

class Control : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.veloquill.KWinStandIn")

public:
    explicit Control(Manager& manager) : m_manager(manager) {}

public Q_SLOTS:
    Q_SCRIPTABLE void addDevice(const QString& sysName, const QString& name, uint vendor,
                                uint product, bool pointer, bool acceleration, double speed,
                                bool flat)
    {
        g_state[sysName] = QJsonObject{
            {"name", name},       {"vendor", int(vendor)},        {"product", int(product)},
            {"pointer", pointer}, {"acceleration", acceleration}, {"speed", speed},
            {"flat", flat}};
        save();
        m_manager.exportDevice(sysName);
        Q_EMIT m_manager.deviceAdded(sysName);
    }
    // Unannounced, the device is gone while its clients still think it there.
    Q_SCRIPTABLE void removeDevice(const QString& sysName, bool announce)
    {
        g_state.remove(sysName);
        save();
        QDBusConnection::sessionBus().unregisterObject(kManagerPath + QLatin1Char('/') + sysName);
        if (announce)
            Q_EMIT m_manager.deviceRemoved(sysName);
    }
    Q_SCRIPTABLE void announceAdded(const QString& sysName)
    {
        Q_EMIT m_manager.deviceAdded(sysName);
    }

private:
    Manager& m_manager;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    g_stateFile = app.arguments().value(1);
    QFile file(g_stateFile);
    if (file.open(QIODevice::ReadOnly))
        g_state = QJsonDocument::fromJson(file.readAll()).object();
    Manager manager;
    Control control(manager);
    QDBusConnection bus = QDBusConnection::sessionBus();
    for (const QString& sysName : g_state.keys())
        manager.exportDevice(sysName);
    bus.registerObject(kManagerPath, &manager,
                       QDBusConnection::ExportAllProperties | QDBusConnection::ExportAllSignals);
    bus.registerObject(QStringLiteral("/StandIn"), &control,
                       QDBusConnection::ExportScriptableSlots);
    // The name last, as KWin has its objects in place when it is seen.
    if (!bus.registerService(QStringLiteral("org.kde.KWin")))
        return 1;
    return app.exec();
}

#include "kwin_stand_in.moc"
