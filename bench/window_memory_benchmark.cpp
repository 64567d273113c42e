// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Opens and closes the real settings window over simulated devices and prints how much
// anonymous memory (RssAnon) the process keeps: after the first 10 cycles, 300 more must
// cost at most 0.5 MB. Each open, every control's accessible interface is read, as a screen
// reader does. Set up as the program sets itself up, without a tray (the window then
// carries the tray's items). Runs on the offscreen platform unless QT_QPA_PLATFORM says
// otherwise; the start-at-login entry goes to a temporary folder.
//
//   window_memory_benchmark [cycles, default 300]
#include "device/pointer_device_manager.h"
#include "login_item/start_at_login.h"
#include "login_item/start_at_login_toggle.h"
#include "settings/in_memory_defaults_store.h"
#include "settings/keep_or_go_back.h"
#include "settings/veloquill_pointer_settings_state.h"
#include "shell/menu_icon.h"
#include "shell/settings_window_controller.h"
#include "shell/shell_window.h"
#include "shell/translations.h"
#include "sim/simulated_backend.h"
#include "sim/simulated_device.h"
#include "support/log.h"
#include "views/accessible_style.h"
#include "views/pointer_control_view.h"

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

using namespace veloquill;

namespace {

constexpr int kWarmUpCycles = 10;

long rssAnonKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    static const QRegularExpression line(QStringLiteral("^RssAnon:\\s+(\\d+) kB$"),
                                         QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = line.match(QString::fromLatin1(status.readAll()));
    return match.hasMatch() ? match.captured(1).toLong() : -1;
}

// Lets queued work run, the window's delayed selection and deferred deletions included.
void settle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    } while (timer.elapsed() < ms);
}

void openAndClose(SettingsWindowController& controller)
{
    controller.bringToFront();
    settle(2 * PointerControlView::kAppearanceDelayMs);
    ShellWindow* window = controller.settingsWindow();
    if (!window)
        return;
    // As a screen reader would: every control's accessible interface made and read.
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget))
            (void)accessible->text(QAccessible::Name);
    }
    window->close();
    settle(0);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QApplication app(argc, argv);
    const Translations translations;
    installAccessibleStyle(app);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(applicationIcon());
    const int cycles = argc > 1 ? QByteArray(argv[1]).toInt() : 300;
    const LogRedirect previous = setLogRedirect([](const QString&) {});
    {
        auto system = std::make_shared<sim::SimulatedBackend>();
        PointerDeviceManager manager(system);
        manager.startObservation();
        system->addDevice(sim::DeviceSpec::mouse(QStringLiteral("Head Mouse"), 4660, 171));
        system->addDevice(sim::DeviceSpec::mouse(QStringLiteral("Foot Mouse"), 4661, 172));
        QCoreApplication::processEvents();
        VeloquillPointerSettingsState state(manager,
                                            std::make_shared<test::InMemoryDefaultsStore>());
        state.ensureDeviceSelectionAndLoadSettings();
        KeepOrGoBack keepOrGoBack(state);
        SettingsWindowController controller(
            [] { return ControlUnavailableReason::NoReason; },
            [&] { return new PointerControlView(state, manager, &keepOrGoBack); });
        StartAtLogin startAtLogin(QStringLiteral("veloquill"),
                                  QStringLiteral("/usr/bin/veloquill"));
        controller.setNoTrayOffer({[] { return false; },
                                   [&] { return new StartAtLoginToggle(nullptr, &startAtLogin); },
                                   [] {}});

        for (int i = 0; i < kWarmUpCycles; ++i)
            openAndClose(controller);
        const long before = rssAnonKb();
        for (int i = 0; i < cycles; ++i)
            openAndClose(controller);
        const long after = rssAnonKb();
        std::printf("RssAnon after %d warm-up cycles: %ld kB\n", kWarmUpCycles, before);
        std::printf("RssAnon after %d more open/close cycles: %ld kB (%+ld kB, %.2f kB per "
                    "cycle; target at most +512 kB for 300)\n",
                    cycles, after, after - before,
                    cycles > 0 ? double(after - before) / cycles : 0.0);
    }
    setLogRedirect(previous);
    return 0;
}
