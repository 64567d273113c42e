#pragma once

// KWin's input device interface on the session bus, and the calls the backend makes to it.
// Every call waits for its reply (each is one short round trip); an error reply is logged in
// one line and reads as nothing, so no D-Bus failure ever ends the program.

#include <QDBusConnection>
#include <QString>
#include <QVariantMap>

#include <optional>

namespace veloquill::kwin {

inline const QString kService = QStringLiteral("org.kde.KWin");
inline const QString kManagerPath = QStringLiteral("/org/kde/KWin/InputDevice");
inline const QString kManagerInterface = QStringLiteral("org.kde.KWin.InputDeviceManager");
inline const QString kDeviceInterface = QStringLiteral("org.kde.KWin.InputDevice");
inline const QString kLogPrefix = QStringLiteral("KWinHidEventSystem: ");

// The properties of a device the backend uses.
namespace Property {
inline const QString Speed = QStringLiteral("pointerAcceleration");
inline const QString Flat = QStringLiteral("pointerAccelerationProfileFlat");
inline const QString Adaptive = QStringLiteral("pointerAccelerationProfileAdaptive");
} // namespace Property

QString devicePath(const QString& sysName);

class KWinCalls
{
public:
    explicit KWinCalls(QDBusConnection bus) : m_bus(std::move(bus)) {}

    QDBusConnection& bus() { return m_bus; }
    // The manager's device list; nothing when it does not answer.
    std::optional<QStringList> deviceSysNames();
    std::optional<QVariantMap> deviceProperties(const QString& sysName);
    std::optional<QVariant> deviceProperty(const QString& sysName, const QString& name);
    bool setDeviceProperty(const QString& sysName, const QString& name, const QVariant& value);

private:
    std::optional<QVariant> call(const QString& path, const QString& method,
                                 const QVariantList& arguments, const QString& what);

    QDBusConnection m_bus;
};

} // namespace veloquill::kwin
