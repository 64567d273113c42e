// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The program's shell: its start and end, the tray item and menu, and the windows they open.
#include "device/pointer_device_manager.h"
#include "settings/in_memory_defaults_store.h"
#include "settings/keep_or_go_back.h"
#include "settings/veloquill_pointer_settings_state.h"
#include "shell/about_window_controller.h"
#include "shell/app_delegate.h"
#include "shell/menu_icon.h"
#include "shell/settings_window_controller.h"
#include "shell/shell_window.h"
#include "shell/single_instance.h"
#include "shell/status_bar_controller.h"
#include "shell/translations.h"
#include "sim/simulated_backend.h"
#include "support/blocking_paths.h"
#include "support/log.h"
#include "support/log_capture.h"
#include "support/main_loop.h"
#include "views/about_view.h"
#include "views/keep_or_go_back_bar.h"
#include "views/permission_view.h"
#include "views/pointer_control_view.h"
#include "views/pointer_controls_form.h"
#include "views/value_slider_row.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocalSocket>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

using namespace veloquill;

namespace {
// The program's delegate on a simulated mouse at resolution 400, with a settings state built
// when the saved settings are applied, as the program's shared one is, and no tray host.
struct DelegateOnSimulatedDevices
{
    test::LogCapture log;
    std::shared_ptr<sim::SimulatedBackend> system = std::make_shared<sim::SimulatedBackend>();
    std::shared_ptr<sim::SimulatedDevice> mouse =
        system->addDevice(sim::DeviceSpec::mouse("Head Mouse", 1, 2, std::nullopt, 400.0));
    PointerDeviceManager manager{system};
    // The mouse has a record from an earlier run: launching writes it.
    std::shared_ptr<test::InMemoryDefaultsStore> store =
        std::make_shared<test::InMemoryDefaultsStore>(
            VeloquillPointerSettingsState::DeviceSettingsKey,
            *encodeDeviceSettingsTable({{"1-2-Head Mouse-N/A", {0.5, 1.0, false}}}).data);
    std::unique_ptr<VeloquillPointerSettingsState> settings;
    int settingsShown = 0;
    AppDelegate delegate{
        manager,
        [this]() -> VeloquillPointerSettingsState& {
            if (!settings)
                settings = std::make_unique<VeloquillPointerSettingsState>(manager, store);
            return *settings;
        },
        {[] {
             logLine("(tray item made)");
             return std::unique_ptr<StatusBarController>();
         },
         [this] { ++settingsShown; },
         [this] {
             openSettingsIfNoTrayHost([] { return false; }, [this] { ++settingsShown; }, {{}, {}});
         }}};

    std::optional<double> resolution() const { return mouse->resolution(); }
};

// A settings window whose trust answer the test decides; it counts the questions.
struct SettingsHarness
{
    ControlUnavailableReason reason = ControlUnavailableReason::WaylandSession;
    int asked = 0;
    int controlsBuilt = 0;
    SettingsWindowController controller{[this] { return ++asked, reason; },
                                        [this] {
                                            ++controlsBuilt;
                                            return new QLabel("device controls");
                                        }};

    ShellWindow* window() const { return controller.settingsWindow(); }
    QWidget* content() const { return window() ? window()->content() : nullptr; }
    bool showsPermissionView() const { return qobject_cast<PermissionView*>(content()); }
    bool showsDeviceControls() const { return qobject_cast<QLabel*>(content()); }
};

int g_quits = 0;
// No window of these tests ends the test program.
[[maybe_unused]] const bool g_quitCounted = (ShellWindow::setQuitAction([] { ++g_quits; }), true);

QAbstractButton* buttonNamed(QWidget* window, const QString& text)
{
    const auto buttons = window->findChildren<QAbstractButton*>();
    return *std::find_if(buttons.begin(), buttons.end(),
                         [&](auto* b) { return b->text() == text; });
}
} // namespace

// A crashed start's socket, a stranger, a second start; then launch without a tray host, the
// saved settings applied, and quit twice (quit and a signal may both arrive).
TEST(ShellTranscript, SecondStartThenLaunchSavedSettingsWithoutATrayAndQuitTwice)
{
    DelegateOnSimulatedDevices app;
    QTemporaryDir runtimeDir;
    const QString path = runtimeDir.filePath("veloquill");
    ASSERT_TRUE(test::makeBlockingPath(test::BlockingPath::DeadSocket, path));
    SingleInstance first(path);
    int reopens = 0;
    QObject::connect(&first, &SingleInstance::reopenRequested, [&] { ++reopens; });
    ASSERT_EQ(first.claim(), SingleInstance::Role::Primary);
    first.listen();
    // The server hangs up on a stranger that keeps talking, and opens nothing.
    QLocalSocket stranger;
    stranger.connectToServer(path);
    ASSERT_TRUE(stranger.waitForConnected(1000));
    stranger.write(QByteArray("open\n") + QByteArray(200, 'x'));
    EXPECT_TRUE(
        test::runMainLoopUntil([&] { return stranger.state() == QLocalSocket::UnconnectedState; }));
    EXPECT_EQ(reopens, 0);
    SingleInstance second(path);
    ASSERT_EQ(second.claim(), SingleInstance::Role::Secondary);
    ASSERT_TRUE(test::runMainLoopUntil([&] { return reopens == 1; }));

    QElapsedTimer sinceLaunch;
    sinceLaunch.start();
    app.delegate.applicationDidFinishLaunching();
    ASSERT_TRUE(test::runMainLoopUntil([&] { return app.settingsShown == 1; }));
    EXPECT_GE(sinceLaunch.elapsed(), AppDelegate::SavedSettingsDelayMs);
    // The record's speed 0.5 is the desktop's own speed.
    EXPECT_EQ(app.mouse->settings().gain, 1.0);

    app.delegate.applicationWillTerminate();
    app.delegate.applicationWillTerminate();
    EXPECT_EQ(app.resolution(), 400.0);
    // The shell's own lines, and the device layer's milestones they must fall between.
    const QRegularExpression transcript(
        "^\\[(AppDelegate|SingleInstance|StatusBarController)\\]|^\\(|"
        "Initialization complete|Attempting to restore|Stopping");
    EXPECT_EQ(
        app.log.lines().filter(transcript),
        QStringList({
            "[SingleInstance] Veloquill is already running; asked it to open its settings window.",
            "[SingleInstance] Reopen request received.",
            "(tray item made)",
            "PointerDeviceManager: Observation started and initial devices processed. "
            "Initialization complete.",
            "[AppDelegate] Called PointerDeviceManager.shared.startObservation()",
            "[AppDelegate] Applying saved settings to devices after startup",
            "[StatusBarController] No system tray is available; opening the settings window so "
            "that Veloquill can be reached.",
            "[AppDelegate] Application will terminate. Restoring pointer settings.",
            "[PointerDeviceManager] Attempting to restore initial pointer settings for 1 devices.",
            "[PointerDeviceManager] stopObservation: Stopping IOKit listening. Device list will "
            "persist.",
            "[AppDelegate] Called PointerDeviceManager.shared.stopObservation()",
        }));
}

TEST(AppDelegate, ReopenShowsSettingsOnlyWithoutVisibleWindowsAndAnEarlyQuitAppliesNothing)
{
    DelegateOnSimulatedDevices app;
    app.delegate.applicationDidFinishLaunching();
    app.delegate.applicationShouldHandleReopen(true);
    EXPECT_EQ(app.settingsShown, 0);
    app.delegate.applicationShouldHandleReopen(false);
    EXPECT_EQ(app.settingsShown, 1);

    app.delegate.applicationWillTerminate();
    test::runMainLoopFor(AppDelegate::SavedSettingsDelayMs * 2);
    EXPECT_EQ(app.settings, nullptr);
    EXPECT_EQ(app.settingsShown, 1);
    EXPECT_EQ(app.resolution(), 400.0);
}

// The About window is made, forgotten and made afresh as the settings window is, apart from it.
TEST(SettingsWindow, OneCentredResizableWindowBuiltAfreshOnEveryOpeningBesideTheAboutWindow)
{
    SettingsHarness settings;
    settings.controller.bringToFront();
    ShellWindow* window = settings.window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible()); // its title and size are checked on screen end to end
    EXPECT_TRUE(window->minimumWidth() < 580 && window->maximumWidth() > 580);
    const QPoint screenCentre = window->screen()->availableGeometry().center();
    EXPECT_LE((window->geometry().center() - screenCentre).manhattanLength(), 2);
    EXPECT_TRUE(settings.showsPermissionView());
    EXPECT_EQ(settings.controlsBuilt, 0);
    EXPECT_TRUE(ShellWindow::anyOnScreen());

    window->resize(700, 520);
    const QPointer<QWidget> permissionView = settings.content();
    settings.reason = ControlUnavailableReason::NoReason;
    settings.controller.bringToFront();
    settings.controller.bringToFront();
    EXPECT_EQ(settings.window(), window);
    EXPECT_EQ(window->size(), QSize(700, 520));
    EXPECT_TRUE(permissionView.isNull());
    EXPECT_TRUE(settings.showsDeviceControls());
    EXPECT_EQ(settings.controlsBuilt, 2);

    bringAboutWindowToFront();
    const auto windows = QApplication::topLevelWidgets();
    const QPointer<ShellWindow> about =
        qobject_cast<ShellWindow*>(*std::find_if(windows.begin(), windows.end(), [](auto* w) {
            return w->windowTitle() == "About Veloquill";
        }));
    QWidget* page = about->content(); // its fixed size is checked on screen end to end
    ASSERT_NE(qobject_cast<AboutView*>(page), nullptr);
    about->showMinimized();
    bringAboutWindowToFront();
    EXPECT_TRUE(about->content() == page && !about->isMinimized());
    about->close();
    test::drainMainLoop();
    EXPECT_TRUE(about.isNull() && window->isVisible());
}

TEST(SettingsWindow,
     PollSwitchesTheContentOnlyWhenTheAnswerChangesWaitsWhileMinimisedAndEndsAtClose)
{
    SettingsHarness settings;
    settings.controller.bringToFront();
    settings.reason = ControlUnavailableReason::NoReason;
    // The one-second poll notices the grant on its own.
    ASSERT_TRUE(test::runMainLoopUntil([&] { return settings.showsDeviceControls(); }));
    const QWidget* controls = settings.content();
    settings.controller.checkAndUpdatePermissionStatus();
    EXPECT_EQ(settings.content(), controls);
    EXPECT_EQ(settings.controlsBuilt, 1);
    settings.reason = ControlUnavailableReason::WaylandSession;
    settings.controller.checkAndUpdatePermissionStatus();
    const QPointer<QWidget> wayland = settings.content();
    settings.reason = ControlUnavailableReason::DisplayLost; // explained afresh
    settings.controller.checkAndUpdatePermissionStatus();
    EXPECT_TRUE(wayland.isNull() && settings.showsPermissionView());

    settings.window()->showMinimized();
    settings.reason = ControlUnavailableReason::NoReason;
    settings.controller.checkAndUpdatePermissionStatus();
    EXPECT_TRUE(settings.showsPermissionView());
    settings.controller.bringToFront();

    // Closed, the window goes and the poll ends; the next one starts afresh.
    settings.reason = ControlUnavailableReason::WaylandSession;
    const QPointer<ShellWindow> first = settings.window();
    first->resize(700, 520);
    first->close();
    EXPECT_EQ(settings.window(), nullptr);
    EXPECT_FALSE(ShellWindow::anyOnScreen());
    const int asked = settings.asked;
    test::runMainLoopFor(SettingsWindowController::kPermissionPollIntervalMs + 200);
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(settings.asked, asked) << "still polling";

    settings.controller.bringToFront();
    EXPECT_EQ(settings.window()->size(), QSize(580, 480));
}

TEST(StatusBarController, MenuItemsInOrderOpenTheWindowsQuitAndShowTheReportedLoginState)
{
    int settingsOpened = 0, aboutOpened = 0, quitAsked = 0, loginToggles = 0, precisionToggles = 0;
    StatusBarController tray(
        {[&] { ++settingsOpened; }, [&] { ++aboutOpened; }, [&] { ++quitAsked; }});
    tray.setupStatusItem();
    QObject::connect(&tray, &StatusBarController::startAtLoginToggleRequested,
                     [&] { ++loginToggles; });
    QObject::connect(&tray, &StatusBarController::precisionModeToggleRequested,
                     [&] { ++precisionToggles; });

    const QList<QAction*> items = tray.menu()->actions();
    // Each item's letter works while the menu is open; no other key is shown.
    const std::pair<QString, int*> expected[] = {{"&Veloquill settings...", &settingsOpened},
                                                 {"&Precision mode", &precisionToggles},
                                                 {},
                                                 {"Start at &login", &loginToggles},
                                                 {},
                                                 {"&About Veloquill", &aboutOpened},
                                                 {},
                                                 {"&Quit Veloquill", &quitAsked}};
    ASSERT_EQ(items.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        const auto& [text, opened] = expected[i];
        EXPECT_EQ(items[i]->isSeparator(), text.isEmpty());
        EXPECT_EQ(items[i]->text(), text);
        EXPECT_TRUE(items[i]->shortcut().isEmpty());
        EXPECT_TRUE(items[i]->icon().isNull());
        if (!text.isEmpty()) {
            EXPECT_GE(tray.menu()->actionGeometry(items[i]).height(), 32);
        }
        if (opened) {
            items[i]->trigger();
            EXPECT_EQ(*opened, 1);
        }
    }
    // Choosing a checkable item only asks: its mark shows the state reported back.
    EXPECT_FALSE(items[1]->isChecked() || items[3]->isChecked());
}

TEST(MenuIcon, DrawsADarkQuillWithALightRimAtTraySizes)
{
    for (int size : {16, 22, 24}) {
        SCOPED_TRACE(size);
        const QImage image = menuIcon().pixmap(QSize(size, size), 1.0).toImage();
        ASSERT_EQ(image.size(), QSize(size, size));
        int dark = 0, light = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.alpha() >= 200)
                    ++(pixel.lightness() < 80 ? dark : light);
            }
        }
        // Enough of both tones to read on a light panel and on a dark one.
        EXPECT_GT(dark, size * size / 10);
        EXPECT_GT(light, size);
    }
}

TEST(ShellWindow, EnterPressesTheFocusedButtonEscapeAndCtrlWCloseCtrlQQuits)
{
    // Focused: 0 check box, 1 push button, 2 line edit.
    const std::tuple<int, QKeyCombination, QString> cases[] = {
        {0, Qt::Key_Return, "click"},
        {1, Qt::KeypadModifier | Qt::Key_Enter, "click"},
        {2, Qt::Key_Return, ""},
        {1, Qt::Key_Escape, "close"},
        {2, Qt::CTRL | Qt::Key_W, "close"},
        {0, Qt::CTRL | Qt::Key_Q, "quit"}};
    for (const auto& [focus, keys, expected] : cases) {
        g_quits = 0;
        QString outcome;
        ShellWindow window("Veloquill Settings", QSize(580, 480));
        auto* content = new QWidget;
        const QList<QWidget*> widgets{new QCheckBox("Check"), new QPushButton("Push"),
                                      new QLineEdit};
        for (QWidget* widget : widgets)
            (content->layout() ? content->layout() : new QVBoxLayout(content))->addWidget(widget);
        for (int i : {0, 1})
            QObject::connect(static_cast<QAbstractButton*>(widgets[i]), &QAbstractButton::clicked,
                             [&] { outcome += "click"; });
        window.setContent(content);
        QObject::connect(&window, &ShellWindow::closing, [&] { outcome += "close"; });
        window.bringForward();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        widgets[focus]->setFocus();
        QTest::keyClick(widgets[focus], keys.key(), keys.keyboardModifiers());
        EXPECT_EQ(outcome + (g_quits ? "quit" : ""), expected) << focus << " " << keys.key();
    }
}

TEST(ShellWindow, GrowsForItsContentOnlyAsFarAsTheScreenAndNeverByItselfOnScreen)
{
    ShellWindow window("Veloquill Settings", QSize(580, 480));
    auto* content = new QWidget;
    auto* text = new QLabel("large text", content);
    (new QVBoxLayout(content))->addWidget(text);
    text->setMinimumSize(300, 5000);
    window.setContent(content);
    window.show();
    const QRect available = window.screen()->availableGeometry();
    EXPECT_EQ(window.frameGeometry().y(), available.y());
    EXPECT_EQ(window.frameGeometry().height(), available.height());
    EXPECT_LT(window.minimumSizeHint().height(), 100) << "the content's minimum went through";
    auto* scrollArea = window.findChild<QScrollArea*>();
    EXPECT_EQ(scrollArea->focusPolicy(), Qt::NoFocus);
    EXPECT_GT(scrollArea->verticalScrollBar()->maximum(), 0);
    EXPECT_GE(scrollArea->verticalScrollBar()->width(), 16);
    QTest::keyClick(&window, Qt::Key_PageDown);
    EXPECT_GT(scrollArea->verticalScrollBar()->value(), 0) << "Page Down scrolls";

    // Content growing on screen scrolls; the window stays where the user sees it.
    window.move(available.topLeft() + QPoint(100, 0));
    test::drainMainLoop();
    const QRect before = window.frameGeometry();
    text->setMinimumSize(5000, 5000);
    test::drainMainLoop();
    EXPECT_EQ(window.frameGeometry(), before);
}

TEST(SettingsWindow, WithoutATrayOffersTheMenuItemsAndSaysOnceHowToComeBackBeforeClosing)
{
    g_quits = 0;
    bool trayAvailable = false;
    int aboutOpened = 0;
    SettingsWindowController controller([] { return ControlUnavailableReason::NoReason; },
                                        [] { return new QLabel("device controls"); });
    controller.setNoTrayOffer({[&] { return trayAvailable; },
                               [] { return new QCheckBox("Start at login"); },
                               [&] { ++aboutOpened; }});
    controller.bringToFront();
    ShellWindow* window = controller.settingsWindow();
    for (const char* text : {"Start at login", "About Veloquill", "Quit Veloquill"}) {
        QAbstractButton* button = buttonNamed(window, text);
        EXPECT_TRUE(button->isVisible() && button->height() >= 44) << text;
        button->click();
    }
    EXPECT_TRUE(aboutOpened == 1 && g_quits == 1);

    QAbstractButton* closeWindow = buttonNamed(window, "Close window");
    window->close();
    EXPECT_TRUE(window->isVisible() && closeWindow->isVisible());
    auto* notice = window->footer()->findChild<QLabel*>();
    EXPECT_TRUE(notice->isVisible() && notice->text().startsWith("Veloquill keeps running"));
    closeWindow->click();
    EXPECT_EQ(controller.settingsWindow(), nullptr);

    // Said once per run; with a tray none of it shows.
    controller.bringToFront();
    controller.settingsWindow()->close();
    EXPECT_EQ(controller.settingsWindow(), nullptr);
    trayAvailable = true;
    controller.bringToFront();
    EXPECT_EQ(controller.settingsWindow()->footer(), nullptr);
}

TEST(TrayFallback, WaitsForATrayAndOpensTheSettingsOnlyWhenNoneAppears)
{
    // The tray answers yes from this question on (-1: never); 30 ms asked every 10 ms.
    const std::pair<int, int> cases[] = {{0, 1}, {2, 3}, {-1, 4}}; // and the questions asked
    for (const auto& [availableFrom, asked] : cases) {
        test::LogCapture log;
        int questions = 0, opened = 0;
        openSettingsIfNoTrayHost([&] { return questions++ >= availableFrom && availableFrom >= 0; },
                                 [&] { ++opened; },
                                 {std::chrono::milliseconds(30), std::chrono::milliseconds(10)});
        test::runMainLoopFor(150);
        EXPECT_EQ(questions, asked) << availableFrom;
        EXPECT_EQ(opened + log.lines().size(), availableFrom < 0 ? 2 : 0) << availableFrom;
    }
}

TEST(TrayToolTip, NamesTheSelectedDeviceAndItsSpeed)
{
    // Not connected: the name inside its stableID.
    EXPECT_EQ(trayToolTip("1-2-Head_Mouse-S1", "", "0.5"),
              "Veloquill \u2013 Head_Mouse: speed 0.5");

    auto system = std::make_shared<sim::SimulatedBackend>();
    system->addDevice(sim::DeviceSpec::mouse("Head Mouse", 1, 2));
    PointerDeviceManager manager(system);
    manager.startObservation();
    VeloquillPointerSettingsState state(manager, std::make_shared<test::InMemoryDefaultsStore>());
    state.ensureDeviceSelectionAndLoadSettings();
    StatusBarController tray(StatusBarController::Actions{});
    bindTrayToolTip(tray, state);
    state.setCurrentPointerSpeed(0.25);
    EXPECT_EQ(tray.toolTip(), "Veloquill \u2013 Head Mouse: speed 0.25");
    // The menu item switches precision mode; the tooltip, the mark and the icon show it.
    tray.setupStatusItem();
    const QImage plain = tray.statusItem()->icon().pixmap(QSize(22, 22), 1.0).toImage();
    tray.precisionModeAction()->trigger();
    EXPECT_TRUE(tray.precisionModeAction()->isChecked());
    EXPECT_EQ(tray.toolTip(), "Veloquill \u2013 Head Mouse: speed 0.25, precision mode");
    EXPECT_NE(tray.statusItem()->icon().pixmap(QSize(22, 22), 1.0).toImage(), plain);
    state.setSelectedDeviceID(std::nullopt);
    EXPECT_FALSE(tray.precisionModeAction()->isChecked());
    EXPECT_EQ(tray.toolTip(), "Veloquill \u2013 no device selected");
}

namespace {
// Every text a person reads or hears from `root` and the widgets in it, in a stable order.
QStringList shownTexts(const QWidget* root)
{
    QStringList texts;
    QList<const QWidget*> widgets{root};
    for (const QWidget* child : root->findChildren<QWidget*>())
        widgets.append(child);
    for (const QWidget* widget : widgets) {
        texts << widget->accessibleName() << widget->accessibleDescription() << widget->toolTip();
        if (auto* label = qobject_cast<const QLabel*>(widget))
            texts << label->text();
        if (auto* button = qobject_cast<const QAbstractButton*>(widget))
            texts << button->text();
        if (auto* field = qobject_cast<const QLineEdit*>(widget))
            texts << field->placeholderText();
        if (auto* menu = qobject_cast<const QMenu*>(widget))
            for (const QAction* item : menu->actions())
                texts << item->text();
        if (auto* choices = qobject_cast<const QComboBox*>(widget))
            for (int i = 0; i < choices->count(); ++i)
                texts << choices->itemText(i);
    }
    return texts;
}

// The settings window's controls, the tray menu and the About window, as built now.
QStringList everyWindowsTexts(DelegateOnSimulatedDevices& program, KeepOrGoBack& keepOrGoBack)
{
    PointerControlView settings(*program.settings, program.manager, &keepOrGoBack);
    StatusBarController tray(StatusBarController::Actions{});
    tray.setupStatusItem();
    AboutView about(aboutFacts());
    return shownTexts(&settings) + shownTexts(tray.menu()) + shownTexts(&about);
}

// The placeholders of a source text or a translation: "%1", "%Ln", each as often as it occurs.
QStringList placeholders(const QString& text)
{
    static const QRegularExpression placeholder(QStringLiteral("%L?(\\d|n)"));
    QStringList found;
    for (const QRegularExpressionMatch& match : placeholder.globalMatch(text))
        found << match.captured();
    found.sort();
    return found;
}
} // namespace

TEST(Translations, EachShippedLanguageTranslatesEveryWindowTextAndKeepsThePlaceholders)
{
    DelegateOnSimulatedDevices program;
    program.delegate.applicationDidFinishLaunching();
    ASSERT_TRUE(test::runMainLoopUntil([&] { return program.settings != nullptr; }));
    KeepOrGoBack keepOrGoBack(*program.settings, {60000, 15, 60000});
    const QStringList english = everyWindowsTexts(program, keepOrGoBack);
    // Words that are the same in a language as in English: names, numbers, units.
    static const QRegularExpression sameEverywhere(
        QStringLiteral("^(Veloquill|\u2068?Head Mouse\u2069?|Version [\\d.]+|\\d+ s|https://.*)$"));
    const QStringList shipped = QDir(QStringLiteral(":/veloquill/translations")).entryList();
    ASSERT_EQ(shipped, (QStringList{"veloquill_de.qm", "veloquill_es.qm"}));
    for (const QString& file : shipped) {
        const QString language = file.section(QLatin1Char('_'), 1).section(QLatin1Char('.'), 0, 0);
        SCOPED_TRACE(language.toStdString());
        std::optional<Translations> translations{QLocale(language)};
        const QStringList translated = everyWindowsTexts(program, keepOrGoBack);
        translations.reset();
        ASSERT_EQ(translated.size(), english.size());
        for (qsizetype i = 0; i < english.size(); ++i) {
            if (english[i].contains(QRegularExpression(QStringLiteral("\\p{L}"))) &&
                !sameEverywhere.match(english[i]).hasMatch()) {
                EXPECT_NE(translated[i], english[i]) << english[i].toStdString();
            }
        }

        QFile ts(VELOQUILL_SOURCE_DIR "/translations/veloquill_" + language + ".ts");
        ASSERT_TRUE(ts.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&ts);
        QString source;
        bool numerus = false;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            const auto name = xml.name();
            if (name == u"message") {
                numerus = xml.attributes().value(QStringLiteral("numerus")) == u"yes";
            } else if (name == u"source") {
                source = xml.readElementText();
            } else if ((name == u"translation" && !numerus) || name == u"numerusform") {
                EXPECT_EQ(placeholders(xml.readElementText()), placeholders(source))
                    << source.toStdString();
            }
        }
        EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    }
}

// The real settings content in each look and language a user may have: dark and high-contrast
// palettes, German and Spanish (the longest words), right to left (the rows read from the right,
// − before +). Home on the speed slider makes the pointer far slower: the question is asked in
// view, the window fits a small screen with nothing cut short, and Escape goes back.
TEST(SettingsWindow, InEveryLookAndLanguageTheQuestionIsInViewNothingIsCutAndEscapeGoesBack)
{
    const QPalette light = QApplication::palette();
    const auto restore = qScopeGuard([&] {
        QApplication::setPalette(light);
        QApplication::setLayoutDirection(Qt::LeftToRight);
        QLocale::setDefault(QLocale::system());
    });
    // window, button, text, base, highlight
    const std::tuple<const char*, const char*, Qt::LayoutDirection, QStringList> looks[] = {
        {"settings-dark.png",
         "en_US",
         Qt::LeftToRight,
         {"#2f2f2f", "#353535", "#ffffff", "#2a2a2a", "#2a82da"}},
        {"settings-high-contrast.png",
         "en_US",
         Qt::LeftToRight,
         {"#000000", "#000000", "#ffffff", "#000000", "#ffff00"}},
        {"settings-de.png", "de_DE", Qt::LeftToRight, {}},
        {"settings-es.png", "es_ES", Qt::LeftToRight, {}},
        {"settings-right-to-left.png", "en_US", Qt::RightToLeft, {}}};
    for (const auto& [picture, language, direction, colours] : looks) {
        SCOPED_TRACE(picture);
        QPalette palette = light;
        if (!colours.isEmpty()) {
            palette = QPalette{QColor(colours[1]), QColor(colours[0])};
            for (QPalette::ColorRole role :
                 {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
                palette.setColor(role, QColor(colours[2]));
            palette.setColor(QPalette::Base, QColor(colours[3]));
            palette.setColor(QPalette::Highlight, QColor(colours[4]));
        }
        QApplication::setPalette(palette);
        QLocale::setDefault(QLocale(language));
        const Translations translations{QLocale(language)};
        QApplication::setLayoutDirection(direction);
        DelegateOnSimulatedDevices program;
        program.delegate.applicationDidFinishLaunching();
        ASSERT_TRUE(test::runMainLoopUntil([&] { return program.settings != nullptr; }));
        VeloquillPointerSettingsState& state = *program.settings;
        KeepOrGoBack keepOrGoBack(state, {60000, 15, 60000});
        ShellWindow shell(SettingsWindowController::tr("Veloquill Settings"),
                          SettingsWindowController::kWindowSize);
        auto* view = new PointerControlView(state, program.manager, &keepOrGoBack);
        shell.setContent(view);
        shell.bringForward();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&shell));
        test::runMainLoopFor(2 * PointerControlView::kAppearanceDelayMs);
        const ValueSliderRow* speed = view->controlsForm()->speedRow();
        speed->slider()->setFocus();
        QTest::keyClick(speed->slider(), Qt::Key_Home);
        EXPECT_EQ(state.currentPointerSpeed(), 0.0);
        KeepOrGoBackBar* bar = view->keepOrGoBackBar();
        ASSERT_TRUE(test::runMainLoopUntil([&] {
            return !bar->visibleRegion().isEmpty() &&
                   bar->visibleRegion().boundingRect() == bar->rect();
        })) << "the question is not in view";
        test::runMainLoopFor(300);
        EXPECT_TRUE(shell.minimumSizeHint().boundedTo({1280, 760}) == shell.minimumSizeHint());
        for (QWidget* shown : view->findChildren<QWidget*>()) {
            auto* label = qobject_cast<QLabel*>(shown);
            if (shown->isVisible() &&
                (qobject_cast<QAbstractButton*>(shown) || (label && !label->wordWrap()))) {
                // A push button's style may ask more room than its words need.
                auto* push = qobject_cast<QPushButton*>(shown);
                EXPECT_GE(shown->width(),
                          push ? push->fontMetrics().horizontalAdvance(push->text()) + 8
                               : shown->sizeHint().width())
                    << shownTexts(shown).join(QLatin1Char(' ')).toStdString();
            }
        }
        EXPECT_EQ(speed->decreaseButton()->x() > speed->increaseButton()->x(),
                  direction == Qt::RightToLeft);
        if (qEnvironmentVariable("VELOQUILL_UPDATE_SCREENSHOTS") == "1")
            shell.grab().save(QStringLiteral(VELOQUILL_SOURCE_DIR "/docs/screenshots/") + picture);
        QTest::keyClick(speed->slider(), Qt::Key_Escape);
        EXPECT_EQ(state.currentPointerSpeed(), 0.5);
        EXPECT_TRUE(shell.isVisible() && !bar->isVisible());
        // The devices' read-backs log after the writes; they belong to this case.
        test::runMainLoopFor(200);
    }
}
