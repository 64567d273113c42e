// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Writes through the program's defaults store, as a separate process would, then prints
// "written" and, with "wait" last, sleeps until killed.
//   settings_store_writer data:KEY=HEX string:KEY=TEXT bool:KEY=true|false remove:KEY [wait]
// Or starts the settings on a simulated "Head Mouse" from the stored file, prints the speed
// it loaded ("loaded 0.2"), sets another and prints "written" (log lines go to stdout too):
//   settings_store_writer start:SPEED [after-input]
// With after-input it waits for a line on stdin between loading and setting.
#include "device/pointer_device_manager.h"
#include "settings/qsettings_defaults_store.h"
#include "settings/veloquill_pointer_settings_state.h"
#include "sim/simulated_backend.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

namespace {
void start(double speed, bool afterInput)
{
    using namespace veloquill;
    auto system = std::make_shared<sim::SimulatedBackend>();
    system->addDevice(sim::DeviceSpec::mouse("Head Mouse", 4660, 171, std::nullopt, 400.0));
    PointerDeviceManager manager(system);
    manager.startObservation();
    VeloquillPointerSettingsState state(manager, std::make_shared<QSettingsDefaultsStore>());
    state.ensureDeviceSelectionAndLoadSettings();
    std::printf("loaded %s\n", qPrintable(QString::number(state.currentPointerSpeed())));
    std::fflush(stdout);
    if (afterInput)
        std::getchar();
    state.setCurrentPointerSpeed(speed);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && QByteArray(argv[1]).startsWith("start:")) {
        QCoreApplication app(argc, argv);
        start(QByteArray(argv[1]).mid(6).toDouble(), argc == 3);
        std::puts("written");
        return 0;
    }
    veloquill::QSettingsDefaultsStore store;
    for (int i = 1; i < argc; ++i) {
        const QString operation = QString::fromUtf8(argv[i]);
        const QString kind = operation.section(':', 0, 0);
        const QString key = operation.section(':', 1).section('=', 0, 0);
        const QString value = operation.section('=', 1);
        if (kind == "data")
            store.setData(key, QByteArray::fromHex(value.toLatin1()));
        else if (kind == "string")
            store.setString(key, value);
        else if (kind == "bool")
            store.setBoolean(key, value == "true");
        else if (kind == "remove")
            store.remove(key);
        else if (kind != "wait")
            return 2;
    }
    std::puts("written");
    std::fflush(stdout);
    if (argc > 1 && QString::fromUtf8(argv[argc - 1]) == "wait")
        QThread::sleep(600);
    return 0;
}
