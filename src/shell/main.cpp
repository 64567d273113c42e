// veloquill: per-device pointer speed and acceleration for the X11 desktop.
#include "device/pointer_device_manager.h"
#include "device/x11/x11_hid_event_system.h"
#include "settings/veloquill_pointer_settings_state.h"
#include "shell/app_delegate.h"
#include "shell/termination_signals.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

using namespace veloquill;

namespace {
X11HidEventSystemOptions parseOptions(const QCoreApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Per-device pointer speed and acceleration for the X11 desktop."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption includeVirtual(
        QStringLiteral("include-virtual-devices"),
        QStringLiteral("Also list the XTEST devices that software input goes through."));
    parser.addOption(includeVirtual);
    parser.process(app);

    X11HidEventSystemOptions options;
    options.includeVirtualDevices = parser.isSet(includeVirtual);
    return options;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Veloquill"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELOQUILL_VERSION));

    auto eventSystem = std::make_shared<X11HidEventSystem>(parseOptions(app));
    if (!eventSystem->isConnected()) {
        std::fprintf(stderr, "veloquill: cannot control pointer devices: %s\n",
                     qPrintable(eventSystem->failureReason()));
        return 1;
    }
    PointerDeviceManager::installSharedEventSystem(eventSystem);
    PointerDeviceManager& manager = PointerDeviceManager::shared();

    AppDelegate delegate(manager, [] () -> VeloquillPointerSettingsState& {
        return VeloquillPointerSettingsState::shared();
    });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate,
                     &AppDelegate::applicationWillTerminate);

    // A signal, a logout or a lost display all take the same way out as quitting.
    TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &TerminationSignals::terminationRequested, &app,
                     &QCoreApplication::quit);
    QObject::connect(eventSystem.get(), &X11HidEventSystem::connectionLost, &app,
                     &QCoreApplication::quit);

    QTimer::singleShot(0, &delegate, &AppDelegate::applicationDidFinishLaunching);
    return app.exec();
}
