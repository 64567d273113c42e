// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/tray_program.h"

#include "device/pointer_device_manager.h"
#include "login_item/start_at_login.h"
#include "settings/keep_or_go_back.h"
#include "settings/veloquill_pointer_settings_state.h"
#include "shell/app_delegate.h"
#include "shell/backend_factory.h"
#include "shell/command_line.h"
#include "shell/menu_icon.h"
#include "shell/settings_window_controller.h"
#include "shell/shell_window.h"
#include "shell/status_bar_controller.h"
#include "shell/termination_signals.h"
#include "shell/translations.h"
#include "support/log.h"
#include "views/accessible_style.h"
#include "views/pointer_control_view.h"

#include <QApplication>
#include <QByteArray>
#include <QScopeGuard>
#include <QSystemTrayIcon>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include <signal.h>
#include <unistd.h>

namespace veloquill {

namespace {
// Held while the application object is made. Qt ends the program with qFatal (an abort) when
// its X connection fails then: an X server that went away since it was checked. Its messages
// are held meanwhile, so that such a start says one line and ends with the lost display's
// status. Qt 6.4's xcb plugin may also crash (a null reply while it reads the screens) when
// the server goes in the middle of that; meanwhile a crash ends the program the same way.
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

    DisplayLossAtStartup(const DisplayLossAtStartup&) = delete;
    DisplayLossAtStartup& operator=(const DisplayLossAtStartup&) = delete;

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

AppDelegate* g_runningDelegate = nullptr;
X11Backend* g_eventSystem = nullptr;
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

// The tray item and the windows, for the running delegate to set up.
AppDelegate::Interface trayInterface()
{
    AppDelegate::Interface interface;
    interface.makeStatusBarController = [] {
        auto controller = std::make_unique<StatusBarController>();
        bindStartAtLoginMenu(*controller, StartAtLogin::shared());
        return controller;
    };
    interface.showSettingsWindow = [] { SettingsWindowController::shared().bringToFront(); };
    interface.afterSavedSettingsApplied = [] {
        // Bound once the settings state exists, which is only now.
        if (StatusBarController* tray = g_runningDelegate->statusBarController())
            bindTrayToolTip(*tray, VeloquillPointerSettingsState::shared());
        sharedKeepOrGoBack();
        openSettingsIfNoTrayHost(&QSystemTrayIcon::isSystemTrayAvailable,
                                 [] { SettingsWindowController::shared().bringToFront(); });
    };
    return interface;
}

// Later starts of the program: one asking for the window, one switching precision mode, and
// `veloquill --restore` while this one runs: the devices go back here, where the journal is
// kept, and nothing is written after that.
void answerLaterStarts(SingleInstance& instance, AppDelegate& delegate)
{
    QObject::connect(&instance, &SingleInstance::reopenRequested, &delegate, [&delegate] {
        delegate.applicationShouldHandleReopen(ShellWindow::anyOnScreen());
    });
    instance.setPrecisionHandler([](const QString& command) {
        VeloquillPointerSettingsState& state = VeloquillPointerSettingsState::shared();
        // A key the user bound is their own choice: it asks nothing.
        sharedKeepOrGoBack().withoutAsking([&state, &command] {
            state.setPrecisionMode(command == QStringLiteral("toggle")
                                       ? !state.precisionMode()
                                       : command == QStringLiteral("on"));
        });
        return state.precisionMode();
    });
    QObject::connect(
        &instance, &SingleInstance::restoreRequested, &delegate, [&delegate, &instance] {
            delegate.applicationWillTerminate();
            const bool restored = delegate.restoredEveryDevice();
            const QString notPutBack = PointerDeviceManager::shared().notPutBack();
            instance.answerRestore(restored ? QString()
                                   : notPutBack.isEmpty()
                                       ? QStringLiteral("some devices could not be put back (the "
                                                        "running Veloquill's log names them)")
                                       : QStringLiteral("not put back: ") + notPutBack);
            QCoreApplication::exit(restored ? 0 : kNotRestoredStatus);
        });
}

// A device that could not be put back is kept in the journal, and the way out says so.
int exitStatus(int status, const AppDelegate& delegate, const BackendSystem& backend)
{
    if (backend.x11 && !backend.x11->isConnected())
        return kDisplayUnusableStatus;
    if (delegate.restoredEveryDevice())
        return status;
    if (const QString notPutBack = PointerDeviceManager::shared().notPutBack();
        !notPutBack.isEmpty())
        std::fprintf(stderr, "veloquill: not put back: %s\n",
                     qPrintable(escapedForLog(notPutBack)));
    return kNotRestoredStatus;
}
} // namespace

int runTrayProgram(int argc, char** argv, const BackendChoice& choice,
                   const X11BackendOptions& x11Options, std::optional<SingleInstance>& instance)
{
    std::optional<DisplayLossAtStartup> displayLossAtStartup(std::in_place);
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

    // Made after the application object, so X11's error handlers are installed after Qt's.
    const BackendSystem backend = makeBackendSystem(choice, x11Options);
    if (backend.x11 && !backend.x11->isConnected()) {
        std::fprintf(stderr, "veloquill: cannot control pointer devices: %s\n",
                     qPrintable(backend.x11->failureReason()));
        return kDisplayUnusableStatus;
    }
    // Lists nothing then; the window shows the reason the session cannot be served.
    if (choice.backend == Backend::None)
        std::fprintf(stderr, "veloquill: cannot control pointer devices: %s\n",
                     qPrintable(choice.reason));
    PointerDeviceManager::installSharedEventSystem(backend.backend);
    SettingsWindowController::configureShared(
        [pointers = backend.backend] { return pointers->controlUnavailableReason(); },
        [] {
            return new PointerControlView(VeloquillPointerSettingsState::shared(),
                                          PointerDeviceManager::shared(), &sharedKeepOrGoBack());
        });

    AppDelegate delegate(
        PointerDeviceManager::shared(),
        []() -> VeloquillPointerSettingsState& { return VeloquillPointerSettingsState::shared(); },
        trayInterface());
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate,
                     &AppDelegate::applicationWillTerminate);
    answerLaterStarts(*instance, delegate);
    // A signal, a logout or a lost display all take the same way out as Quit.
    TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &TerminationSignals::terminationRequested, &app,
                     &ShellWindow::quit);
    if (backend.x11)
        QObject::connect(backend.x11.get(), &X11Backend::connectionLost, &app, &ShellWindow::quit);

    g_runningDelegate = &delegate;
    g_eventSystem = backend.x11.get();
    std::atexit(terminateOnExit);
    QTimer::singleShot(0, &delegate, &AppDelegate::applicationDidFinishLaunching);
    const int status = app.exec();
    g_runningDelegate = nullptr;
    return exitStatus(status, delegate, backend);
}

} // namespace veloquill
