// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// veloquill: per-device pointer speed and acceleration for the Linux desktop (X11, KDE Plasma
// on Wayland, GNOME on Wayland).
#include "device/gnome/gnome_hid_event_system.h"
#include "device/kwin/kwin_hid_event_system.h"
#include "device/pointer_device_manager.h"
#include "device/sway/sway_hid_event_system.h"
#include "device/x11/x11_hid_event_system.h"
#include "login_item/start_at_login.h"
#include "settings/keep_or_go_back.h"
#include "settings/veloquill_pointer_settings_state.h"
#include "shell/about_info.h"
#include "shell/about_window_controller.h"
#include "shell/app_delegate.h"
#include "shell/backend_choice.h"
#include "shell/menu_icon.h"
#include "shell/settings_window_controller.h"
#include "shell/shell_window.h"
#include "shell/single_instance.h"
#include "shell/start_at_login_menu_binding.h"
#include "shell/status_bar_controller.h"
#include "shell/termination_signals.h"
#include "shell/translations.h"
#include "shell/tray_fallback.h"
#include "shell/tray_tool_tip.h"
#include "support/log.h"
#include "support/runtime_folder.h"
#include "views/accessible_style.h"
#include "views/pointer_control_view.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QScopeGuard>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

#include <signal.h>
#include <unistd.h>

using namespace veloquill;

namespace {
// The one status of a program whose X display could not be used or went away.
constexpr int kDisplayUnusableStatus = 1;
// The status of a restore that left some device as it was not found.
constexpr int kNotRestoredStatus = 1;

AppDelegate* g_runningDelegate = nullptr;
X11HidEventSystem* g_eventSystem = nullptr;
KeepOrGoBack* g_keepOrGoBack = nullptr;

// Made once the settings state exists; outlives every content the window is given, so a
// question asked stays open across a rebuild.
KeepOrGoBack& sharedKeepOrGoBack()
{
    if (!g_keepOrGoBack) {
        g_keepOrGoBack = new KeepOrGoBack(VeloquillPointerSettingsState::shared());
        // A question asked from the tray needs a window to be answered in.
        QObject::connect(g_keepOrGoBack, &KeepOrGoBack::askingChanged, [](bool asking) {
            const ShellWindow* window = SettingsWindowController::shared().settingsWindow();
            if (asking && !(window && window->isVisible()))
                SettingsWindowController::shared().bringToFront();
        });
    }
    return *g_keepOrGoBack;
}

// Qt ends the process with exit() when its own X connection breaks, which can happen before
// the backend reports the loss; the devices still take the terminate path, and the status
// is the same whichever noticed first.
void terminateOnExit()
{
    if (!g_runningDelegate)
        return;
    g_runningDelegate->applicationWillTerminate();
    if (g_eventSystem && !g_eventSystem->isConnected()) {
        flushLogLines();
        std::_Exit(kDisplayUnusableStatus);
    }
}

// A command line that cannot be understood, as most command-line programs end.
constexpr int kUsageErrorStatus = 2;

struct Options
{
    X11HidEventSystemOptions eventSystem;
    bool restore = false;
    QString backend;   // what --backend names, empty when not given
    QString precision; // what --precision asks for: on, off or toggle; empty when not given
    // Set when the command line is answered without running: help, version or a mistake.
    std::optional<int> exitStatus;
};

// Reads the command line before any application object exists, so that help and version
// need no display. The program calls itself "veloquill" whatever file or link started it.
Options parseOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("%1, in %2.")
            .arg(QString::fromUtf8(about::kSummary), QString::fromUtf8(about::kSessions)));
    // Qt's own help option would also offer --help-all for Qt options this program refuses.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays help on command-line options."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption includeVirtual(
        QStringLiteral("include-virtual-devices"),
        QStringLiteral("Also list the XTEST devices that software input goes through."));
    parser.addOption(includeVirtual);
    const QCommandLineOption restore(
        QStringLiteral("restore"),
        QStringLiteral("Put every pointer device Veloquill changed back as it was found, then "
                       "exit: 0 when done or nothing was left changed, 1 with one line when not. "
                       "A Veloquill running on this display is asked first, puts its devices "
                       "back and quits; when none runs, or it does not answer within 3 s, the "
                       "devices are put back here from the journal it keeps against a crash. "
                       "The way back to a usable pointer."));
    parser.addOption(restore);
    const QCommandLineOption backend(
        QStringLiteral("backend"),
        QStringLiteral("Control devices through <backend>, x11 (XInput2), kwin (KDE Plasma on "
                       "Wayland), gnome (GNOME's mouse and touchpad settings) or sway (Sway's IPC "
                       "socket, $SWAYSOCK), instead of the one the session calls for."),
        QStringLiteral("backend"));
    parser.addOption(backend);
    const QCommandLineOption precision(
        QStringLiteral("precision"),
        QStringLiteral("Switch the running Veloquill's precision mode <mode> (on, off or toggle), "
                       "which slows the selected device by its precision factor, then exit. Bind "
                       "'veloquill --precision toggle' to a key in the desktop's keyboard "
                       "shortcut settings."),
        QStringLiteral("mode"));
    parser.addOption(precision);

    Options options;
    const bool parsed = parser.parse(arguments);
    const QString backendName = parsed ? parser.value(backend) : QString();
    const bool knownBackend = backendName.isEmpty() || backendName == QStringLiteral("x11") ||
                              backendName == QStringLiteral("kwin") ||
                              backendName == QStringLiteral("gnome") ||
                              backendName == QStringLiteral("sway");
    const QString precisionMode = parsed ? parser.value(precision) : QString();
    const bool knownPrecision = precisionMode.isEmpty() || precisionMode == QStringLiteral("on") ||
                                precisionMode == QStringLiteral("off") ||
                                precisionMode == QStringLiteral("toggle");
    if (!parsed || !knownBackend || !knownPrecision) {
        const QString error =
            !parsed         ? parser.errorText()
            : !knownBackend ? QStringLiteral("--backend takes x11, kwin, gnome or sway, not '%1'.")
                                  .arg(backendName)
                            : QStringLiteral("--precision takes on, off or toggle, not '%1'.")
                                  .arg(precisionMode);
        std::fprintf(stderr, "veloquill: %s\nTry 'veloquill --help' for more information.\n",
                     qPrintable(error));
        options.exitStatus = kUsageErrorStatus;
    } else if (parser.isSet(version)) {
        std::printf("veloquill %s\n", VELOQUILL_VERSION);
        options.exitStatus = 0;
    } else if (parser.isSet(help)) {
        // Without an application object Qt cannot name the program in the usage line.
        QString text = parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), QStringLiteral("veloquill"));
        std::fputs(qPrintable(text), stdout);
        options.exitStatus = 0;
    }
    options.eventSystem.includeVirtualDevices = parser.isSet(includeVirtual);
    options.restore = parser.isSet(restore);
    options.backend = backendName;
    options.precision = precisionMode;
    return options;
}

// Without tray or window: the devices the journal names go back, and the program ends. Empty
// when everything is back; else what is not, with where its originals are kept, or
// `otherwise` when the backend cannot name it.
QString restoreThrough(std::shared_ptr<HidEventSystem> eventSystem, const QString& otherwise)
{
    PointerDeviceManager manager(std::move(eventSystem));
    manager.startObservation();
    const bool restored = manager.restoreInitialPointerSettings();
    manager.stopObservation();
    if (restored)
        return {};
    return manager.notPutBack().isEmpty() ? otherwise
                                          : QStringLiteral("not put back: ") + manager.notPutBack();
}

int restoreFromJournal(Backend backend, const X11HidEventSystemOptions& options)
{
    QString why;
    if (backend == Backend::KWin) {
        // Without KWin the journal's devices would simply not be listed: that is no success.
        if (!KWinHidEventSystem::managerAnswers())
            why = QStringLiteral("KWin's input devices do not answer on the session bus");
        else
            why = restoreThrough(std::make_shared<KWinHidEventSystem>(),
                                 QStringLiteral("KWin did not confirm that every device is back "
                                                "(the lines above say which and why)"));
    } else if (backend == Backend::Sway) {
        auto eventSystem = std::make_shared<SwayHidEventSystem>();
        // Lets the connection and Sway's list of devices arrive, for a bounded time.
        eventSystem->prepareRestore();
        if (!eventSystem->canControlPointerDevices())
            why = QStringLiteral("Sway's IPC socket ($SWAYSOCK) does not answer");
        else
            why = restoreThrough(eventSystem,
                                 QStringLiteral("Sway did not confirm that every device is back "
                                                "(the lines above say which and why)"));
    } else if (backend == Backend::Gnome) {
        auto eventSystem = std::make_shared<GnomeHidEventSystem>();
        if (!eventSystem->canControlPointerDevices())
            why = QStringLiteral("GNOME's pointer settings (org.gnome.desktop.peripherals) are "
                                 "not installed");
        else
            why = restoreThrough(eventSystem,
                                 QStringLiteral("GSettings did not take back every setting (the "
                                                "lines above say which)"));
    } else {
        auto eventSystem = std::make_shared<X11HidEventSystem>(options);
        const bool connected = eventSystem->isConnected();
        if (connected)
            why = restoreThrough(eventSystem, QStringLiteral("the X server refused some writes "
                                                             "(the lines above say which)"));
        if (!connected) // not connected from the start
            why = eventSystem->failureReason().isEmpty() ? QStringLiteral("the X display went away")
                                                         : eventSystem->failureReason();
        else if (!why.isEmpty() && !eventSystem->isConnected())
            why = QStringLiteral("the X display went away; ") + why;
    }
    if (why.isEmpty())
        return 0;
    std::fprintf(stderr, "veloquill: could not restore pointer devices: %s\n",
                 qPrintable(escapedForLog(why)));
    return kNotRestoredStatus;
}

// How long `--restore` waits for a running Veloquill to answer before restoring itself.
constexpr int kRestoreAnswerPatienceMs = 3000;

// A running Veloquill keeps the journal and goes on writing: it is asked to put the devices
// back and quit. Only when none runs, or it does not answer, is the journal read here.
int restore(int argc, char** argv, Backend backend, const X11HidEventSystemOptions& options)
{
    QCoreApplication app(argc, argv);
    QString reason;
    switch (SingleInstance::askToRestore(SingleInstance::defaultSocketPath(),
                                         kRestoreAnswerPatienceMs, &reason)) {
    case SingleInstance::RestoreAnswer::Restored:
        return 0;
    case SingleInstance::RestoreAnswer::Failed:
        std::fprintf(stderr, "veloquill: could not restore pointer devices: %s\n",
                     qPrintable(reason));
        return kNotRestoredStatus;
    case SingleInstance::RestoreAnswer::NoAnswer:
        std::fprintf(stderr,
                     "veloquill: the running Veloquill did not answer within %d s; "
                     "restoring from its journal here\n",
                     kRestoreAnswerPatienceMs / 1000);
        break;
    case SingleInstance::RestoreAnswer::NoInstance:
        break;
    }
    return restoreFromJournal(backend, options);
}

// How long `--precision` waits for the running Veloquill's answer.
constexpr int kPrecisionAnswerPatienceMs = 3000;

// Precision mode lives in the running Veloquill; with none running there is nothing to slow.
int switchPrecision(int argc, char** argv, const QString& mode)
{
    QCoreApplication app(argc, argv);
    switch (SingleInstance::askPrecision(SingleInstance::defaultSocketPath(), mode,
                                         kPrecisionAnswerPatienceMs)) {
    case SingleInstance::PrecisionAnswer::On:
    case SingleInstance::PrecisionAnswer::Off:
        return 0;
    case SingleInstance::PrecisionAnswer::NoAnswer:
        std::fprintf(stderr,
                     "veloquill: the running Veloquill did not answer within %d s; precision "
                     "mode is unchanged\n",
                     kPrecisionAnswerPatienceMs / 1000);
        return 1;
    case SingleInstance::PrecisionAnswer::NoInstance:
        break;
    }
    std::fprintf(stderr, "veloquill: no Veloquill is running to switch precision mode in\n");
    return 1;
}

// Qt ends the program with qFatal (an abort) when its X connection fails while the application
// object is made: an X server that went away since it was checked. Its messages are held
// until then, so that such a start says one line and ends with the lost display's status.
// Qt 6.4's xcb plugin may also crash (a null reply while it reads the screens) when the server
// goes in the middle of that; meanwhile a crash ends the program the same way.
class DisplayLossAtStartup
{
public:
    DisplayLossAtStartup()
    {
        s_previous = qInstallMessageHandler(&DisplayLossAtStartup::handle);
        struct sigaction crash = {};
        crash.sa_handler = &DisplayLossAtStartup::crashed;
        for (const int signal : {SIGSEGV, SIGBUS})
            sigaction(signal, &crash, &m_crashActions[signal == SIGSEGV ? 0 : 1]);
    }
    // Qt connected: what it said meanwhile is said now.
    ~DisplayLossAtStartup()
    {
        sigaction(SIGSEGV, &m_crashActions[0], nullptr);
        sigaction(SIGBUS, &m_crashActions[1], nullptr);
        qInstallMessageHandler(s_previous);
        for (const Held& message : std::exchange(s_held, {})) {
            const QMessageLogContext context(message.file.constData(), message.line,
                                             message.function.constData(),
                                             message.category.constData());
            s_previous(message.type, context, message.text);
        }
    }

private:
    struct Held
    {
        QtMsgType type;
        QByteArray file, function, category;
        int line;
        QString text;
    };

    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        if (type == QtFatalMsg) {
            std::fprintf(stderr, "veloquill: cannot control pointer devices: the X display went "
                                 "away during start-up\n");
            flushLogLines();
            std::_Exit(kDisplayUnusableStatus);
        }
        s_held.push_back(
            {type, context.file, context.function, context.category, context.line, text});
    }

    // Only what is safe in a signal handler: one write, and out.
    static void crashed(int)
    {
        static constexpr char line[] = "veloquill: cannot control pointer devices: the X "
                                       "connection failed during start-up\n";
        [[maybe_unused]] const auto written = ::write(STDERR_FILENO, line, sizeof line - 1);
        std::_Exit(kDisplayUnusableStatus);
    }

    struct sigaction m_crashActions[2] = {};
    static inline QtMessageHandler s_previous = nullptr;
    static inline std::vector<Held> s_held;
};

// Whether an X display can be used at all, asked before Qt connects to it: without one
// Qt's own connection would abort the program with a less helpful message.
bool reportUnusableDisplay(const X11HidEventSystemOptions& options)
{
    const QString problem = X11HidEventSystem::displayProblem(options.displayName);
    if (problem.isEmpty())
        return false;
    std::fprintf(stderr, "veloquill: cannot control pointer devices: %s\n", qPrintable(problem));
    return true;
}

QStringList commandLine(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}
} // namespace

int main(int argc, char** argv)
{
    // A display that goes away mid-write must be seen as a broken connection, which the
    // program answers by putting devices back, not as a signal that ends it on the spot.
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication::setApplicationName(QStringLiteral("Veloquill"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELOQUILL_VERSION));
    // Before any window: Wayland takes it as the windows' app id, and X11 docks find the menu
    // entry through it.
    QGuiApplication::setDesktopFileName(QStringLiteral(VELOQUILL_APP_ID));
    const Options parsed = parseOptions(commandLine(argc, argv));
    if (parsed.exitStatus)
        return *parsed.exitStatus;
    if (!parsed.precision.isEmpty())
        return switchPrecision(argc, argv, parsed.precision);
    // A second start reaches the running program before any desktop is asked anything: a slow
    // bus or compositor must not hold up the window it asks for.
    std::optional<SingleInstance> instance;
    if (!parsed.restore) {
        // Runs without them, saying so once.
        if (const QString problem = runtimeFolder().problem; !problem.isEmpty()) {
            std::fprintf(stderr,
                         "veloquill: running without a single-instance check and a crash "
                         "journal: %s\n",
                         qPrintable(problem));
        }
        instance.emplace();
        if (instance->claim() == SingleInstance::Role::Secondary)
            return 0;
    }
    const X11HidEventSystemOptions& options = parsed.eventSystem;
    const SessionEnvironment session = SessionEnvironment::ofProcess();
    const BackendChoice choice =
        chooseBackend(session, parsed.backend, [] { return KWinHidEventSystem::managerAnswers(); });
    // Nothing serves the session: with a Wayland display the window can still say why and what
    // to do; without any display there is nothing to show.
    if (choice.backend == Backend::None && (parsed.restore || session.waylandDisplay.isEmpty())) {
        // Without a Wayland display the X display's own problem is the more useful line.
        if (!session.waylandDisplay.isEmpty() || !reportUnusableDisplay(options))
            std::fprintf(stderr, "veloquill: cannot control pointer devices: %s\n",
                         qPrintable(choice.reason));
        return kDisplayUnusableStatus;
    }
    if (choice.backend == Backend::X11 && reportUnusableDisplay(options))
        return kDisplayUnusableStatus;
    if (parsed.restore)
        return restore(argc, argv, choice.backend, options);

    std::optional<DisplayLossAtStartup> displayLossAtStartup;
    displayLossAtStartup.emplace();
    QApplication app(argc, argv);
    displayLossAtStartup.reset();
    // Its server's socket notifiers go before the application object does.
    const auto stopListening = qScopeGuard([&instance] { instance.reset(); });
    // The windows in the user's language; the log stays English.
    const Translations translations;
    // Focus rings and control outlines that can be seen, over the desktop's own style.
    installAccessibleStyle(app);
    // A tray program lives on when its last window closes.
    QApplication::setQuitOnLastWindowClosed(false);
    // Windows show the program's icon.
    QApplication::setWindowIcon(applicationIcon());

    instance->listen();

    std::shared_ptr<HidEventSystem> eventSystem;
    std::shared_ptr<X11HidEventSystem> x11System;
    std::function<ControlUnavailableReason()> trustQuery;
    if (choice.backend == Backend::X11) {
        // Created after the QApplication, so its X error handlers are installed after Qt's.
        x11System = std::make_shared<X11HidEventSystem>(options);
        if (!x11System->isConnected()) {
            std::fprintf(stderr, "veloquill: cannot control pointer devices: %s\n",
                         qPrintable(x11System->failureReason()));
            return kDisplayUnusableStatus;
        }
        eventSystem = x11System;
        trustQuery = [x11System] { return x11System->controlUnavailableReason(); };
    } else if (choice.backend == Backend::Sway) {
        auto swaySystem = std::make_shared<SwayHidEventSystem>();
        eventSystem = swaySystem;
        trustQuery = [swaySystem] { return swaySystem->controlUnavailableReason(); };
    } else if (choice.backend == Backend::Gnome) {
        auto gnomeSystem = std::make_shared<GnomeHidEventSystem>();
        eventSystem = gnomeSystem;
        trustQuery = [gnomeSystem] { return gnomeSystem->controlUnavailableReason(); };
    } else {
        auto kwinSystem = std::make_shared<KWinHidEventSystem>();
        eventSystem = kwinSystem;
        trustQuery = [kwinSystem] { return kwinSystem->controlUnavailableReason(); };
        if (choice.backend == Backend::None) {
            // Lists nothing here; the window shows the reason the session cannot be served.
            std::fprintf(stderr, "veloquill: cannot control pointer devices: %s\n",
                         qPrintable(choice.reason));
            trustQuery = [reason = choice.unavailable] { return reason; };
        }
    }
    PointerDeviceManager::installSharedEventSystem(eventSystem);
    PointerDeviceManager& manager = PointerDeviceManager::shared();

    SettingsWindowController::configureShared(trustQuery, [] {
        return new PointerControlView(VeloquillPointerSettingsState::shared(),
                                      PointerDeviceManager::shared(), &sharedKeepOrGoBack());
    });

    AppDelegate::Interface interface;
    interface.makeStatusBarController = [] {
        auto controller = std::make_unique<StatusBarController>();
        bindStartAtLoginMenu(*controller, StartAtLogin::shared());
        return controller;
    };
    interface.showSettingsWindow = [] { SettingsWindowController::shared().bringToFront(); };
    interface.showAboutWindow = [] { AboutWindowController::shared().bringToFront(); };
    AppDelegate* running = nullptr;
    interface.afterSavedSettingsApplied = [&running] {
        // Bound once the settings state exists, which is only now.
        if (StatusBarController* tray = running->statusBarController())
            bindTrayToolTip(*tray, VeloquillPointerSettingsState::shared());
        sharedKeepOrGoBack();
        openSettingsIfNoTrayHost();
    };
    AppDelegate delegate(
        manager,
        []() -> VeloquillPointerSettingsState& { return VeloquillPointerSettingsState::shared(); },
        std::move(interface));
    running = &delegate;
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate,
                     &AppDelegate::applicationWillTerminate);
    QObject::connect(&*instance, &SingleInstance::reopenRequested, &delegate, [&delegate] {
        delegate.applicationShouldHandleReopen(ShellWindow::anyOnScreen());
    });
    instance->setPrecisionHandler([](const QString& command) {
        VeloquillPointerSettingsState& state = VeloquillPointerSettingsState::shared();
        // A key the user bound is their own choice: it asks nothing.
        sharedKeepOrGoBack().withoutAsking([&state, &command] {
            state.setPrecisionMode(command == QStringLiteral("toggle")
                                       ? !state.precisionMode()
                                       : command == QStringLiteral("on"));
        });
        return state.precisionMode();
    });
    // `veloquill --restore` while this one runs: the devices go back here, where the journal is
    // kept, and nothing is written after that.
    QObject::connect(
        &*instance, &SingleInstance::restoreRequested, &delegate, [&delegate, &instance] {
            delegate.applicationWillTerminate();
            const bool restored = delegate.restoredEveryDevice();
            const QString notPutBack = delegate.notPutBack();
            instance->answerRestore(restored ? QString()
                                    : notPutBack.isEmpty()
                                        ? QStringLiteral("some devices could not be put back (the "
                                                         "running Veloquill's log names them)")
                                        : QStringLiteral("not put back: ") + notPutBack);
            QCoreApplication::exit(restored ? 0 : kNotRestoredStatus);
        });

    // A signal, a logout or a lost display all take the same way out as Quit.
    TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &TerminationSignals::terminationRequested, &app,
                     &ShellWindow::quit);
    if (x11System) {
        QObject::connect(x11System.get(), &X11HidEventSystem::connectionLost, &app,
                         &ShellWindow::quit);
    }

    g_runningDelegate = &delegate;
    g_eventSystem = x11System.get();
    std::atexit(terminateOnExit);

    QTimer::singleShot(0, &delegate, &AppDelegate::applicationDidFinishLaunching);
    const int status = app.exec();
    g_runningDelegate = nullptr;
    if (x11System && !x11System->isConnected())
        return kDisplayUnusableStatus;
    // A device that could not be put back is kept in the journal, and the way out says so.
    if (delegate.restoredEveryDevice())
        return status;
    if (!delegate.notPutBack().isEmpty())
        std::fprintf(stderr, "veloquill: not put back: %s\n",
                     qPrintable(escapedForLog(delegate.notPutBack())));
    return kNotRestoredStatus;
}
