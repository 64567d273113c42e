#pragma once

// KWin's input device interface on the session bus, and the calls the backend makes to it.
// Reads wait for their reply (one short round trip); writes of a slider drag do not, and a
// read after them still sees them, as KWin answers one connection's calls in order. An error
// reply is logged in one line and reads as nothing, so no D-Bus failure ends the program.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QVariantMap>

#include <functional>
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
    // Waits for KWin to take the value; false when it did not.
    bool setDeviceProperty(const QString& sysName, const QString& name, const QVariant& value);
    // Returns at once; `answered` runs on the main loop with KWin's answer: whether it took
    // the value.
    void setDevicePropertyLater(const QString& sysName, const QString& name, const QVariant& value,
                                std::function<void(bool)> answered);

private:
    static QDBusMessage setMessage(const QString& sysName, const QString& name,
                                   const QVariant& value);
    std::optional<QVariant> call(const QString& path, const QString& method,
                                 const QVariantList& arguments, const QString& what);
    std::optional<QVariant> call(const QDBusMessage& message, const QString& what);

    QDBusConnection m_bus;
};

} // namespace veloquill::kwin
