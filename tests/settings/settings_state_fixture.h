// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "device/manager_fixture.h"
#include "settings/in_memory_defaults_store.h"
#include "settings/veloquill_pointer_settings_state.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace veloquill::test {

inline const QString HeadMouse = QStringLiteral("4660-171-Head Mouse-N/A");
inline const QString P = QStringLiteral("VeloquillPointerSettingsState: ");
using State = VeloquillPointerSettingsState;

// A settings state on a simulated event system with observation running and an in-memory
// store, every log line captured.
class SettingsStateTest : public ManagerTest
{
protected:
    SettingsStateTest()
    {
        manager->startObservation();
        // Counts the read-backs each apply schedules, so that none outlives its test.
        m_forward = setLogRedirect([this](const QString& line) {
            if (line.startsWith(P + "[APPLY SUCCESS] UI Accel") ||
                line.startsWith(P + "[APPLY SUCCESS] Set device.pointerAcceleration"))
                ++m_pendingReadBacks;
            else if (line.startsWith(P + "[APPLY CONFIRM]"))
                --m_pendingReadBacks;
            m_forward(line);
        });
    }
    ~SettingsStateTest() override
    {
        waitForReadBacks();
        setLogRedirect(m_forward);
    }

    std::shared_ptr<sim::SimulatedDevice> connect(const QString& name, int vendor, int product)
    {
        auto service = plugIn(name, vendor, product);
        drainMainLoop();
        return service;
    }
    State& build()
    {
        state = std::make_unique<State>(*manager, store);
        return *state;
    }
    // The stored table holds these records and the selection names `selected`.
    void remember(const DeviceSettingsTable& table, const QString& selected)
    {
        store->setData(State::DeviceSettingsKey, *encodeDeviceSettingsTable(table).data);
        store->setString(State::SelectedDeviceIDKey, selected);
    }
    void remember(const QString& id, DeviceSpecificSettings settings)
    {
        remember({{id, settings}}, id);
    }
    DeviceSettingsTable stored() const
    {
        return decodeDeviceSettingsTable(store->data(State::DeviceSettingsKey).value_or(""))
            .table.value_or(DeviceSettingsTable{});
    }
    // The values written to the setting, in order, in the layer's 16.16 units: the resolution
    // a gain stands for, the amount of acceleration, -1 for off.
    static std::vector<std::int64_t> written(const sim::SimulatedDevice& device,
                                             sim::Setting setting)
    {
        using Kind = sim::SettingWrite::Kind;
        std::vector<std::int64_t> values;
        for (const auto& write : device.writes()) {
            if (write.kind == Kind::Gain && setting == Resolution)
                values.push_back(std::llround(
                    PointerDevice::resolutionForGain(write.value).value_or(-1) * 65536));
            else if (write.kind != Kind::Gain && write.kind != Kind::Restore &&
                     setting == Acceleration)
                values.push_back(write.kind == Kind::AccelerationOff
                                     ? -65536
                                     : std::llround(write.value * 65536));
        }
        return values;
    }
    // Runs the main loop until every read-back scheduled so far has reported.
    void waitForReadBacks()
    {
        EXPECT_TRUE(runMainLoopUntil([this] { return m_pendingReadBacks == 0; }));
    }

    static constexpr sim::Setting Resolution = sim::Setting::Speed;
    static constexpr sim::Setting Acceleration = sim::Setting::Acceleration;

    std::shared_ptr<InMemoryDefaultsStore> store = std::make_shared<InMemoryDefaultsStore>();
    std::unique_ptr<State> state;

private:
    LogRedirect m_forward;
    int m_pendingReadBacks = 0;
};

} // namespace veloquill::test
