// The windows' keyboard, size and accessibility, the settings window without a tray, the wait
// for a tray at start and the tray's tooltip.
#include "device/pointer_device_manager.h"
#include "settings/in_memory_defaults_store.h"
#include "settings/veloquill_pointer_settings_state.h"
#include "shell/settings_window_controller.h"
#include "shell/shell_window.h"
#include "shell/status_bar_controller.h"
#include "shell/tray_fallback.h"
#include "shell/tray_tool_tip.h"
#include "sim/simulated_hid_event_system.h"
#include "support/log_capture.h"
#include "support/main_loop.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace veloquill;

namespace {
int g_quits = 0;

QAbstractButton* buttonNamed(QWidget* window, const QString& text)
{
    const auto buttons = window->findChildren<QAbstractButton*>();
    return *std::find_if(buttons.begin(), buttons.end(),
                         [&](auto* b) { return b->text() == text; });
}
} // namespace

TEST(ShellWindow, EnterPressesTheFocusedButtonEscapeAndCtrlWCloseCtrlQQuits)
{
    ShellWindow::setQuitAction([] { ++g_quits; });
    // Focused: 0 check box, 1 push button, 2 line edit.
    const std::tuple<int, Qt::Key, Qt::KeyboardModifiers, QString> cases[] = {
        {0, Qt::Key_Return, {}, "click"},
        {1, Qt::Key_Enter, Qt::KeypadModifier, "click"},
        {2, Qt::Key_Return, {}, ""},
        {1, Qt::Key_Escape, {}, "close"},
        {2, Qt::Key_W, Qt::ControlModifier, "close"},
        {0, Qt::Key_Q, Qt::ControlModifier, "quit"}};
    for (const auto& [focus, key, modifiers, expected] : cases) {
        g_quits = 0;
        QString outcome;
        ShellWindow window("Veloquill Settings", QSize(580, 480));
        auto* content = new QWidget;
        const QList<QWidget*> widgets{new QCheckBox("Check"), new QPushButton("Push"),
                                      new QLineEdit};
        for (QWidget* widget : widgets)
            (content->layout() ? content->layout() : new QVBoxLayout(content))->addWidget(widget);
        for (auto* button : content->findChildren<QAbstractButton*>())
            QObject::connect(button, &QAbstractButton::clicked, [&] { outcome += "click"; });
        window.setContent(content);
        QObject::connect(&window, &ShellWindow::closing, [&] { outcome += "close"; });
        window.bringForward();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        widgets[focus]->setFocus();
        QTest::keyClick(widgets[focus], key, modifiers);
        EXPECT_EQ(outcome + (g_quits ? "quit" : ""), expected) << focus << " " << key;
    }
}

TEST(ShellWindow, ScreenReadersSeeAWindowNamedByItsTitle)
{
    ShellWindow window("About Veloquill", QSize(500, 600));
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&window);
    EXPECT_EQ(accessible->role(), QAccessible::Window);
    EXPECT_EQ(accessible->text(QAccessible::Name), "About Veloquill");
}

TEST(ShellWindow, GrowsForItsContentOnlyAsFarAsTheScreenAndTheRestScrolls)
{
    ShellWindow window("Veloquill Settings", QSize(580, 480));
    auto* content = new QWidget;
    auto* text = new QLabel("large text", content);
    (new QVBoxLayout(content))->addWidget(text);
    text->setMinimumSize(300, 5000);
    window.setContent(content);
    window.show();
    const QRect available = window.screen()->availableGeometry();
    EXPECT_EQ(window.frameGeometry(), QRect(window.frameGeometry().x(), available.y(),
                                            window.frameGeometry().width(), available.height()));
    EXPECT_LT(window.minimumSizeHint().height(), 100) << "the content's minimum went through";
    auto* scrollArea = window.findChild<QScrollArea*>();
    EXPECT_EQ(scrollArea->focusPolicy(), Qt::NoFocus);
    test::drainMainLoop();
    EXPECT_GT(scrollArea->verticalScrollBar()->maximum(), 0);

    // Grown again on screen: still inside it.
    window.move(available.topLeft() + QPoint(100, 0));
    text->setMinimumSize(5000, 5000);
    test::drainMainLoop();
    EXPECT_EQ(window.frameGeometry().width(), available.width());
    EXPECT_TRUE(available.contains(window.frameGeometry()));
}

TEST(SettingsWindow, WithoutATrayOffersTheMenuItemsAndSaysOnceHowToComeBackBeforeClosing)
{
    ShellWindow::setQuitAction([] { ++g_quits; });
    g_quits = 0;
    bool trayAvailable = false;
    int aboutOpened = 0, closed = 0;
    SettingsWindowController controller([] { return ControlUnavailableReason::NoReason; },
                                        [] { return new QLabel("device controls"); });
    controller.setNoTrayOffer({[&] { return trayAvailable; },
                               [] { return new QCheckBox("Start at login"); },
                               [&] { ++aboutOpened; }});
    QObject::connect(&controller, &SettingsWindowController::windowClosed, [&] { ++closed; });
    controller.bringToFront();
    ShellWindow* window = controller.settingsWindow();
    for (const char* text : {"Start at login", "About Veloquill", "Quit Veloquill"}) {
        QAbstractButton* button = buttonNamed(window, text);
        EXPECT_TRUE(button->isVisible() && button->height() >= 44) << text;
        button->click();
    }
    EXPECT_EQ(std::pair(aboutOpened, g_quits), std::pair(1, 1));

    QAbstractButton* closeWindow = buttonNamed(window, "Close window");
    EXPECT_FALSE(closeWindow->isVisible());
    window->close();
    EXPECT_TRUE(window->isVisible() && closeWindow->isVisible() && closed == 0);
    auto* notice = window->footer()->findChild<QLabel*>();
    EXPECT_TRUE(notice->isVisible() && notice->text().startsWith("Veloquill keeps running"));
    closeWindow->click();
    EXPECT_EQ(closed, 1);

    // Said once per run; with a tray none of it shows.
    controller.bringToFront();
    controller.settingsWindow()->close();
    EXPECT_EQ(closed, 2);
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
    const std::tuple<std::optional<QString>, QString, QString> cases[] = {
        {std::nullopt, "", "Veloquill \u2013 no device selected"},
        {"1-2-Head Mouse-", "Head Mouse", "Veloquill \u2013 Head Mouse: speed 0.5"},
        {"1-2-Head_Mouse-S1", "", "Veloquill \u2013 Head_Mouse: speed 0.5"}};
    for (const auto& [selectedID, listedName, expected] : cases)
        EXPECT_EQ(trayToolTip(selectedID, listedName, "0.5"), expected);

    auto system = std::make_shared<sim::SimulatedHidEventSystem>();
    system->addService(sim::ServiceSpec::mouse("Head Mouse", 1, 2));
    PointerDeviceManager manager(system);
    manager.startObservation();
    VeloquillPointerSettingsState state(manager, std::make_shared<test::InMemoryDefaultsStore>());
    state.ensureDeviceSelectionAndLoadSettings();
    StatusBarController tray(StatusBarController::Actions{});
    bindTrayToolTip(tray, state);
    state.setCurrentPointerSpeed(0.25);
    EXPECT_EQ(tray.toolTip(), "Veloquill \u2013 Head Mouse: speed 0.25");
    state.setSelectedDeviceID(std::nullopt);
    EXPECT_EQ(tray.toolTip(), "Veloquill \u2013 no device selected");
}
