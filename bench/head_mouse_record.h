// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The settings state of a slider benchmark: a manager on the backend under test, and a stored
// record for its Head Mouse (4660:171), loaded.

#include "device/pointer_device_manager.h"
#include "settings/in_memory_defaults_store.h"
#include "settings/veloquill_pointer_settings_state.h"
#include "support/main_loop.h"

#include <memory>

namespace veloquill::test {

struct HeadMouseRecord
{
    explicit HeadMouseRecord(std::shared_ptr<PointerBackend> system)
        : manager(std::make_unique<PointerDeviceManager>(std::move(system)))
    {
        manager->startObservation();
        const QString headMouse = QStringLiteral("4660-171-Head Mouse-N/A");
        DeviceSettingsTable table;
        table.insert(headMouse, {0.5, 1.0, false});
        store->setData(VeloquillPointerSettingsState::DeviceSettingsKey,
                       *encodeDeviceSettingsTable(table).data);
        // Selected even while a backend is still listing it.
        store->setString(VeloquillPointerSettingsState::SelectedDeviceIDKey, headMouse);
        state = std::make_unique<VeloquillPointerSettingsState>(*manager, store);
        state->ensureDeviceSelectionAndLoadSettings();
        drainMainLoop();
    }

    std::unique_ptr<PointerDeviceManager> manager;
    std::shared_ptr<DefaultsStore> store = std::make_shared<InMemoryDefaultsStore>();
    std::unique_ptr<VeloquillPointerSettingsState> state;
};

} // namespace veloquill::test
