// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "device/backend_device.h"

#include <QMap>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace veloquill::sim {

// Runs the work on a later turn of the main loop, after everything posted before it.
void postToMainLoop(std::function<void()> work);

// What a simulated device looks like when it appears.
struct DeviceSpec
{
    DeviceIdentity identity;
    PointerSettings settings;
    PointerSettings defaults; // none reported

    // A plain mouse of 3 buttons at that resolution (the layer's units), acceleration 0.6875.
    static DeviceSpec mouse(const QString& name, std::int64_t vendorID, std::int64_t productID,
                            std::optional<QString> serialNumber = std::nullopt,
                            double resolution = 400.0);
};

// What the program asked of a device.
struct SettingWrite
{
    enum class Kind
    {
        Gain,
        Acceleration,
        AccelerationOff,
        Restore // put back as first seen
    };
    Kind kind;
    double value = 0; // the gain or the amount
    friend bool operator==(const SettingWrite&, const SettingWrite&) = default;
};

enum class Setting
{
    Speed,
    Acceleration
};

// One device of the simulated backend. Writes are recorded so tests can see what the program
// asked for.
class SimulatedDevice : public BackendDevice, public std::enable_shared_from_this<SimulatedDevice>
{
public:
    explicit SimulatedDevice(DeviceSpec spec, std::uint64_t registryID = 4294968000);

    DeviceIdentity deviceIdentity() const override { return m_spec.identity; }
    PointerSettings settings() const override { return m_spec.settings; }
    PointerSettings defaultSettings() const override { return m_spec.defaults; }
    PointerLocks locks() const override;
    void setGain(double gain) override;
    void setAcceleration(double amount) override;
    void setAccelerationOff() override;
    RestoreOutcome restoreFirstSeen() override;
    HidRegistration onRemoved(BackendDeviceCallback callback) override;
    QString describe() const override { return m_description; }
    std::optional<PointerCurveModel> curveModel() const override { return m_curveModel; }

    // The test's side.
    // The speed as the layer's resolution.
    std::optional<double> resolution() const;
    // Another program changes the settings or defaults; not recorded as a write.
    void change(const std::function<void(PointerSettings&)>& edit) { edit(m_spec.settings); }
    void setDefaults(const PointerSettings& defaults) { m_spec.defaults = defaults; }
    const std::vector<SettingWrite>& writes() const { return m_writes; }
    void clearWrites() { m_writes.clear(); }
    // As a device of a backend whose connection is gone: it can no longer be written.
    void becomeUnreachable() { m_unreachable = true; }
    // Writes of the setting are recorded and change nothing; `locked` says so when asked.
    void refuseWrites(Setting setting, bool locked) { m_refused[setting] = locked; }
    void setCurveModel(std::optional<PointerCurveModel> model) { m_curveModel = model; }

    // Used by the backend: the device leaves, and its removal callbacks are queued.
    void leave();

private:
    // Records the write; false when the setting refuses it.
    bool write(SettingWrite write, Setting setting);

    DeviceSpec m_spec;
    QString m_description;
    DeviceRemoval m_removal;
    bool m_left = false;
    std::vector<SettingWrite> m_writes;
    PointerSettings m_firstSeen;
    bool m_changedByProgram = false;
    bool m_unreachable = false;
    std::optional<PointerCurveModel> m_curveModel;
    QMap<Setting, bool> m_refused;
};

} // namespace veloquill::sim
