// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "device/hid_event_system.h"

#include <QString>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace veloquill::sim {

// Runs the work on a later turn of the main loop, after everything posted before it.
void postToMainLoop(std::function<void()> work);

// A whole-number property value: 16.16 fixed point where the key holds one.
inline HidPropertyValue fixed(std::int64_t value)
{
    return HidPropertyValue::integer(value);
}

// What a simulated service looks like when it appears.
struct ServiceSpec
{
    std::map<QString, HidPropertyValue> properties;
    // Usage page / usage pairs the service conforms to; a mouse by default.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> usages{{1, 2}};
    bool isVirtual = false;

    // A plain mouse: "Product", "VendorID", "ProductID", "SerialNumber" (when given),
    // "HIDPointerResolution" (16.16), "HIDPointerAcceleration" 45056, "HIDPointerButtonCount" 3.
    static ServiceSpec mouse(const QString& name, std::int64_t vendorID, std::int64_t productID,
                             std::optional<QString> serialNumber = std::nullopt,
                             double resolution = 400.0);
};

struct PropertyWrite
{
    QString key;
    HidPropertyValue value;
    friend bool operator==(const PropertyWrite&, const PropertyWrite&) = default;
};

// One service of the simulated event system. Property writes are recorded so tests can see
// what the program asked for.
class SimulatedService : public HidServiceClient,
                         public std::enable_shared_from_this<SimulatedService>
{
public:
    // `changed` hears of every property change; a service on its own has nobody to tell.
    explicit SimulatedService(ServiceSpec spec, std::uint64_t registryID = 4294968000);

    HidPropertyValue copyProperty(const QString& key) const override { return property(key); }
    void setProperty(const QString& key, const HidPropertyValue& value) override
    {
        m_writes.push_back({key, value});
        if (m_refused.contains(key))
            return;
        m_changedByProgram = true;
        changePropertyExternally(key, value);
    }
    bool isWritable(const QString& key) const override
    {
        return !m_refused.contains(key) || !m_refused.at(key);
    }
    // Recorded as a write of kRestoreWrite with a null value.
    HidRestoreOutcome restoreFirstSeen() override;
    bool conformsTo(std::uint32_t usagePage, std::uint32_t usage) const override
    {
        return std::ranges::count(m_spec.usages, std::pair{usagePage, usage}) > 0;
    }
    HidRegistration registerRemovalCallback(HidServiceCallback callback) override;
    // No HID device behind it: raw input is checked against a real X server.
    QString describe() const override { return m_description; }
    bool isVirtual() const override { return m_spec.isVirtual; }
    std::optional<PointerCurveModel> curveModel() const override { return m_curveModel; }

    // The test's side.
    std::uint64_t registryID() const { return m_registryID; }
    HidPropertyValue property(const QString& key) const;
    // Another program changes the property (a null value removes it); not recorded as a write.
    void changePropertyExternally(const QString& key, const HidPropertyValue& value);
    const std::vector<PropertyWrite>& writes() const { return m_writes; }
    void clearWrites() { m_writes.clear(); }
    // As a service of a system whose connection is gone: it can no longer be written.
    void becomeUnreachable() { m_unreachable = true; }
    // Writes of the key are recorded and change nothing; `locked` says so when asked.
    void refuseWrites(const QString& key, bool locked) { m_refused[key] = locked; }
    void setCurveModel(std::optional<PointerCurveModel> model) { m_curveModel = model; }
    static inline const QString kRestoreWrite = QStringLiteral("(restore first seen)");

    // Used by the system: the service leaves, and its removal callbacks are queued.
    void leave();

private:
    void deliverRemoval();

    ServiceSpec m_spec;
    std::uint64_t m_registryID;
    QString m_description;
    HidCallbackList<void(const HidServiceClientRef&)> m_removalCallbacks;
    bool m_left = false;
    bool m_removalDelivered = false;
    std::vector<PropertyWrite> m_writes;
    std::map<QString, HidPropertyValue> m_firstSeen;
    bool m_changedByProgram = false;
    bool m_unreachable = false;
    std::optional<PointerCurveModel> m_curveModel;
    std::map<QString, bool> m_refused;
};

} // namespace veloquill::sim
