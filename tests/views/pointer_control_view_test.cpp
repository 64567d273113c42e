// SPDX-FileCopyrightText: 2026 The Veloquill developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "settings/keep_or_go_back.h"
#include "settings/settings_state_fixture.h"
#include "views/device_picker.h"
#include "views/help_button.h"
#include "views/pointer_control_view.h"
#include "views/pointer_controls_form.h"
#include "views/value_slider_row.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTest>

using namespace veloquill;
using namespace veloquill::test;

namespace {
// The view on a settings state of its own, in a known locale; shown, it has made its
// delayed device selection before the test goes on.
class PointerControlViewTest : public SettingsStateTest
{
protected:
    PointerControlViewTest()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    ~PointerControlViewTest() override
    {
        view.reset();
        QLocale::setDefault(m_savedLocale);
    }

    // With a model, on the state it was built on.
    PointerControlView& showView(KeepOrGoBack* model = nullptr)
    {
        if (!model)
            build();
        view = std::make_unique<PointerControlView>(*state, *manager, model);
        view->show();
        EXPECT_TRUE(runMainLoopUntil([this] {
            return log.contains("PointerControlView.onAppear (asyncAfter): Calling "
                                "settingsState.ensureDeviceSelectionAndLoadSettings()");
        }));
        return *view;
    }
    PointerControlsForm& controls() const { return *view->controlsForm(); }

    // Types into the field as the user would, replacing what it shows.
    static void type(QLineEdit* field, const QString& text)
    {
        field->selectAll();
        QTest::keyClicks(field, text);
    }
    static void leave(QLineEdit* field)
    {
        QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(field, &focusOut);
    }
    static void enter(QLineEdit* field, const QString& text)
    {
        type(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }

    std::unique_ptr<PointerControlView> view;

private:
    QLocale m_savedLocale = QLocale();
};
} // namespace

TEST_F(PointerControlViewTest, DeviceListGrowsWithTheDevicesOffersThemByLiteralNameAndSelects)
{
    PointerControlView& v = showView();
    EXPECT_TRUE(controls().isVisible());

    const auto mouse = connect("Foot Mouse", 1, 1);
    EXPECT_FALSE(v.noDevicesMessage()->isVisible());
    const auto twin = connect("Foot Mouse", 2, 2);
    const auto odd = connect("<b>x</b> %1 &Mouse\n\u202eX", 3, 3);
    const auto same = connect("Foot Mouse", 1, 1); // identical to the first: one row for both
    const QList<QAbstractButton*> choices = v.devicePicker()->choices();
    QStringList texts;
    for (const QAbstractButton* choice : choices)
        texts.append(choice->text());
    // Names show as written, on one line: a line break or a right-to-left override in one shows
    // as an escape, and the name is isolated, so that it cannot reorder the others.
    const auto isolated = [](const QString& text) { return QChar(0x2068) + text + QChar(0x2069); };
    const QString oddText = isolated("<b>x</b> %1 &&Mouse\\n\\u202eX");
    EXPECT_EQ(texts,
              (QStringList{"None (No device selected)", isolated("Foot Mouse") + " (2 connected)",
                           isolated("Foot Mouse"), oddText}));
    EXPECT_EQ(choices[1]->accessibleName(), "Foot Mouse (2 connected)");
    EXPECT_EQ(choices[3]->accessibleName(), "<b>x</b> %1 &Mouse\\n\\u202eX");

    // On the radio mark itself: a row is wider than its caption.
    QTest::mouseClick(choices[2], Qt::LeftButton, {}, QPoint(4, choices[2]->height() / 2));
    EXPECT_EQ(state->selectedDeviceID(), manager->devices()[1]->stableID());
    QTest::mouseClick(choices[0], Qt::LeftButton, {}, QPoint(4, choices[0]->height() / 2));
    EXPECT_EQ(state->selectedDeviceID(), std::nullopt);
    state->setSelectedDeviceID(manager->devices()[2]->stableID());
    EXPECT_TRUE(choices[3]->isChecked());

    // The selected device unplugged stays in the list, dimmed, and still the chosen one;
    // clicking it changes nothing.
    const std::optional<QString> chosen = state->selectedDeviceID();
    unplug(odd);
    QAbstractButton* away = v.devicePicker()->disconnectedSelection();
    ASSERT_NE(away, nullptr);
    EXPECT_TRUE(away->isVisible() && away->isChecked() && away->isEnabled());
    EXPECT_EQ(away->text(), oddText + " (not connected)");
    QTest::mouseClick(away, Qt::LeftButton, {}, QPoint(4, away->height() / 2));
    EXPECT_TRUE(away->isChecked());
    EXPECT_EQ(state->selectedDeviceID(), chosen);
    state->setSelectedDeviceID(std::nullopt);
    EXPECT_EQ(v.devicePicker()->disconnectedSelection(), nullptr);

    // Every device gone for a moment: the selected one's row stays in view until none is.
    state->setSelectedDeviceID(manager->devices()[0]->stableID());
    for (const auto& device : {mouse, twin, same})
        unplug(device);
    EXPECT_TRUE(v.noDevicesMessage()->isVisible());
    EXPECT_TRUE(v.devicePicker()->disconnectedSelection()->isVisible());
    state->setSelectedDeviceID(std::nullopt);
    EXPECT_FALSE(v.devicePicker()->isVisible());
}

TEST_F(PointerControlViewTest, PreferredNameIsWrittenEveryKeystrokeAndGreyedWhileAutoSwitchIsOff)
{
    connect("Head Mouse", 4660, 171);
    store->setBoolean(State::AutoSwitchToNewDevicesKey, false);
    const PointerControlView& v = showView();
    QLineEdit* field = v.preferredNameField();
    const auto expectEnabled = [&](bool enabled) {
        EXPECT_EQ(v.autoSwitchToggle()->isChecked(), enabled);
        EXPECT_EQ(v.preferredNameRow()->isEnabled(), enabled);
        EXPECT_EQ(
            static_cast<QGraphicsOpacityEffect*>(v.preferredNameRow()->graphicsEffect())->opacity(),
            enabled ? 1.0 : 0.5);
    };
    expectEnabled(false);
    QTest::keyClicks(field, "Zz");
    EXPECT_EQ(state->preferredDeviceName(), "Zono X");

    v.autoSwitchToggle()->click();
    EXPECT_TRUE(state->autoSwitchToNewDevices());
    expectEnabled(true);
    QTest::keyClicks(field, " 2");
    EXPECT_EQ(state->preferredDeviceName(), "Zono X 2");

    state->setPreferredDeviceName("<i>Trackball</i>");
    EXPECT_EQ(field->text(), "<i>Trackball</i>");
    state->setAutoSwitchToNewDevices(false);
    expectEnabled(false);
}

// The acceleration waits, as it was, for acceleration to be switched on again.
TEST_F(PointerControlViewTest, AccelerationSwitchSwapsTheRowsAndTrackingSpeedIsThePointerSpeed)
{
    connect("Head Mouse", 4660, 171);
    showView();
    state->setCurrentPointerAcceleration(7.777);
    state->setCurrentPointerSpeed(0.333);
    PointerControlsForm& form = controls();
    // Once the rows have slid in and out, only the one set shows.
    const auto showsRows = [&](bool accelerated) {
        return form.accelerationRow()->isVisible() == accelerated &&
               form.speedRow()->isVisible() == accelerated &&
               form.trackingSpeedRow()->isVisible() == !accelerated;
    };
    EXPECT_TRUE(showsRows(true));

    form.disableAccelerationToggle()->click();
    EXPECT_TRUE(state->currentPointerDisableAcceleration());
    ASSERT_TRUE(runMainLoopUntil([&] { return showsRows(false); }));
    EXPECT_EQ(form.trackingSpeedRow()->slider()->value(), 333);

    form.disableAccelerationToggle()->click();
    ASSERT_TRUE(runMainLoopUntil([&] { return showsRows(true); }));
    EXPECT_EQ(form.accelerationRow()->slider()->value(), 778);
    EXPECT_EQ(state->currentPointerAcceleration(), 7.777);

    // A change from elsewhere shows at once, and so does the revert.
    state->setCurrentPointerDisableAcceleration(true);
    EXPECT_TRUE(showsRows(false));
    form.revertButton()->click();
    EXPECT_FALSE(form.disableAccelerationToggle()->isChecked());
    EXPECT_TRUE(showsRows(true));
    EXPECT_EQ(form.accelerationRow()->slider()->value(), 100);
}

// KWin and GNOME have no amount of acceleration apart from the speed: its slider is shown
// disabled, with a note, so that moving it cannot seem to do nothing. GNOME's shared settings
// are named too.
TEST_F(PointerControlViewTest, DesktopLimitsAreShownAsDisabledControlsAndNotes)
{
    build();
    // Without a device every control waits under a line asking for one; the help stays open.
    const auto mouse = connect("Head Mouse", 4660, 171);
    PointerControlsForm form(*state);
    QList<QWidget*> controls{form.disableAccelerationToggle(), form.revertButton(),
                             form.precisionToggle()};
    for (const ValueSliderRow* row :
         {form.accelerationRow(), form.speedRow(), form.precisionFactorRow()}) {
        controls +=
            {row->slider(), row->decreaseButton(), row->increaseButton(), row->numberField()};
        EXPECT_TRUE(row->helpButton()->isEnabled());
    }
    const auto expectOpen = [&](bool open) {
        EXPECT_EQ(form.noDeviceNote()->isHidden(), open);
        for (const QWidget* control : controls)
            EXPECT_EQ(control->isEnabled(), open) << control->accessibleName().toStdString();
    };
    expectOpen(false);
    state->ensureDeviceSelectionAndLoadSettings();
    expectOpen(true);
    // A desktop without an amount of acceleration closes that slider, and says why; its help
    // stays open.
    for (const bool limited : {true, false}) {
        PointerControlsForm desktopForm(*state, {!limited, limited});
        EXPECT_EQ(desktopForm.accelerationRow()->slider()->isEnabled(), !limited);
        EXPECT_TRUE(desktopForm.accelerationRow()->helpButton()->isEnabled());
        EXPECT_EQ(desktopForm.accelerationNote() != nullptr, limited);
        EXPECT_EQ(desktopForm.sharedNote() != nullptr, limited);
    }

    // The selected device's own limits: what is locked or missing is disabled and said in one
    // line, with any write the desktop refused.
    mouse->refuseWrites(Resolution, true);
    mouse->refuseWrites(Acceleration, false);
    state->setSelectedDeviceID(std::nullopt);
    expectOpen(false);
    state->setSelectedDeviceID(HeadMouse);
    const QString locked = "Pointer speed: Locked by your administrator.";
    EXPECT_EQ(form.deviceLimitsNote()->text(), locked);
    EXPECT_FALSE(form.speedRow()->slider()->isEnabled());
    EXPECT_FALSE(form.precisionToggle()->isEnabled());
    EXPECT_TRUE(form.disableAccelerationToggle()->isEnabled());
    state->setCurrentPointerAcceleration(3); // read back unchanged: the device has none
    mouse->refuseWrites(Resolution, false);
    state->revertPointerSpeed();
    waitForReadBacks();
    EXPECT_EQ(form.deviceLimitsNote()->text(),
              "This device has no pointer acceleration: only its speed can be set.\n"
              "Pointer speed not changed: the desktop kept 0.07.");
    EXPECT_EQ(form.deviceLimitsNote()->accessibleName(), form.deviceLimitsNote()->text());
    EXPECT_FALSE(form.disableAccelerationToggle()->isEnabled());
    EXPECT_FALSE(form.accelerationRow()->slider()->isEnabled());
    EXPECT_TRUE(form.speedRow()->slider()->isEnabled());
}

// The sliders have a position for every speed typed to three decimals and every
// acceleration typed to two, and moving there gives back exactly that value.
TEST_F(PointerControlViewTest, SlidersAndNumberFieldsWriteWithinRangeAndNeverWriteBackRounding)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    remember(HeadMouse, {0.5, 1.0, false});
    connect("Head Mouse", 4660, 171);
    showView();
    QSlider* speed = controls().speedRow()->slider();
    QLineEdit* speedField = controls().speedRow()->numberField();
    QLineEdit* accelerationField = controls().accelerationRow()->numberField();
    EXPECT_EQ(speedField->text(), "0,5");

    speed->setValue(250);
    EXPECT_EQ(state->currentPointerSpeed(), 0.25);
    EXPECT_EQ(speedField->text(), "0,25");
    // Screen readers hear it in the units and the locale shown.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(speed)->text(QAccessible::Value), "0,25");

    // Typed numbers count once committed: by Return, or by leaving the field.
    type(accelerationField, "12,5");
    EXPECT_EQ(state->currentPointerAcceleration(), 1.0);
    leave(accelerationField);
    EXPECT_EQ(state->currentPointerAcceleration(), 12.5);
    const std::tuple<ValueSliderRow*, const char*, double, int> fine[] = {
        {controls().speedRow(), "0,001", 0.001, 1},
        {controls().speedRow(), "0,999", 0.999, 999},
        {controls().accelerationRow(), "19,99", 19.99, 1999}};
    for (const auto& [row, typed, value, position] : fine) {
        enter(row->numberField(), typed);
        EXPECT_EQ(row->slider()->value(), position) << typed;
        row->slider()->setValue(position - 1);
        row->slider()->setValue(position);
        EXPECT_EQ(row == controls().speedRow() ? state->currentPointerSpeed()
                                               : state->currentPointerAcceleration(),
                  value)
            << typed;
    }

    // Values from elsewhere show rounded and stay as they are when passed through.
    state->setCurrentPointerSpeed(0.5123);
    EXPECT_EQ(speed->value(), 512);
    EXPECT_EQ(speedField->text(), "0,51");
    QTest::keyClick(speedField, Qt::Key_Return);
    leave(speedField);
    EXPECT_EQ(state->currentPointerSpeed(), 0.5123);
}

TEST_F(PointerControlViewTest, EachAppearanceSelectsADeviceAMomentLaterEvenIfTheViewIsGone)
{
    connect("Head Mouse", 4660, 171);
    build();
    view = std::make_unique<PointerControlView>(*state, *manager);
    view->show();
    view->hide();
    view->show();
    view.reset();
    EXPECT_EQ(state->selectedDeviceID(), std::nullopt);
    EXPECT_TRUE(runMainLoopUntil([&] { return state->selectedDeviceID() == HeadMouse; }));
}

// Comma and point are both a decimal mark; a group separator never is, a number beyond the
// range is bounded, and text that is not a number is refused.
TEST_F(PointerControlViewTest, TypedNumbersReadTheSameInEveryLocaleAndShowTheValueApplied)
{
    connect("Head Mouse", 4660, 171);
    const std::pair<const char*, double> cases[] = {
        {"1.500", 1.5},  {"1,500", 1.5}, {" 2,25 ", 2.25}, {"1.234,5", 2.25},
        {"1 500", 2.25}, {"zwei", 2.25}, {"25", 20.0},     {"-3.5", 0.0}};
    for (const QLocale& locale : {QLocale(QLocale::German, QLocale::Germany),
                                  QLocale(QLocale::English, QLocale::UnitedStates)}) {
        view.reset();
        QLocale::setDefault(locale);
        log.clear();
        QLineEdit* field = showView().controlsForm()->accelerationRow()->numberField();
        for (const auto& [typed, applied] : cases) {
            SCOPED_TRACE(QString("%1 in %2").arg(typed, locale.name()).toStdString());
            enter(field, typed);
            EXPECT_EQ(state->currentPointerAcceleration(), applied);
            EXPECT_EQ(field->text(), locale.toString(applied, 'f', applied == 2.25 ? 2 : 1));
        }
    }
}

TEST_F(PointerControlViewTest, FiveDevicesAndTheAutoSwitchOptionsFitTheWindowWithoutScrolling)
{
    build();
    view = std::make_unique<PointerControlView>(*state, *manager);
    view->resize(580, 480);
    view->show();
    // Whole, not cut off by a scrolling area or the window's edge.
    const auto inView = [](const QWidget* widget) {
        return widget->isVisible() && widget->visibleRegion() == QRegion(widget->rect());
    };
    const QWidget* revert = controls().revertButton();
    // Precision mode's factor has its room kept under the buttons.
    const QWidget* last = controls().precisionRows();
    QList<int> heights;
    int emptyBelow = 0;
    for (int count = 1; count <= 6; ++count) {
        SCOPED_TRACE(count);
        connect(QString("Mouse %1").arg(count), count, count);
        QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        heights.append(view->height());
        if (count == 1)
            emptyBelow = view->height() - last->mapTo(view.get(), last->rect().bottomLeft()).y();
        EXPECT_EQ(view->pickerArea()->verticalScrollBar()->maximum() > 0, count > 5);
        const QList<QAbstractButton*> choices = view->devicePicker()->choices();
        EXPECT_TRUE(std::all_of(choices.begin(), choices.begin() + std::min(count + 1, 6), inView));
        EXPECT_TRUE(inView(view->preferredNameRow()));
        EXPECT_TRUE(inView(revert));
    }
    EXPECT_EQ(heights[5], heights[4]) << "a longer list scrolls rather than grows";
    EXPECT_LT(emptyBelow, 80) << "a large empty part under the controls";
}

TEST_F(PointerControlViewTest, EveryControlIsALargeTargetWithAPlainNameAndNoAreaIsATabStop)
{
    connect("Foot & Mouse", 1, 1);
    const auto away = connect("Head Mouse", 4660, 171);
    store->setString(State::SelectedDeviceIDKey, HeadMouse);
    showView();
    unplug(away);
    QStringList names;
    for (const QWidget* widget : view->findChildren<QWidget*>()) {
        const QString name = QAccessible::queryAccessibleInterface(const_cast<QWidget*>(widget))
                                 ->text(QAccessible::Name);
        // A radio group is one Tab stop, its rows reached with the arrow keys.
        if (!widget->isVisible() || widget->focusPolicy() == Qt::NoFocus)
            continue;
        names.append(name);
        EXPECT_GE(widget->width(), 44) << name.toStdString();
        EXPECT_GE(widget->height(), 44) << name.toStdString();
    }
    const auto sliderRow = [](const QString& title) {
        return QStringList{"Help: " + title, "Decrease " + title, title, "Increase " + title,
                           title};
    };
    EXPECT_EQ(names, QStringList({"Head Mouse (not connected)", "None (No device selected)",
                                  "Foot & Mouse", "Auto-switch to preferred device when connected",
                                  "Preferred device name", "Disable pointer acceleration"}) +
                         sliderRow("Pointer acceleration") + sliderRow("Pointer speed") +
                         QStringList({"Revert to system defaults", "Precision mode, 0.25× speed"}));
}

// A click beside the handle moves one fine step towards it, as do − and + and the arrow
// keys; Page Up and Down move a coarse step, Home and End to the ends.
TEST_F(PointerControlViewTest, ButtonsTrackClicksAndKeysMoveByFineOrCoarseStepsAndWrite)
{
    connect("Head Mouse", 4660, 171);
    showView();
    // Minus and Plus stand for the buttons, Less and Greater for clicks a quarter of the
    // track before and after the middle, where the speed's handle is.
    const std::tuple<bool, Qt::Key, double> cases[] = {
        {true, Qt::Key_Minus, 0.49},   {true, Qt::Key_Plus, 0.51},    {true, Qt::Key_Less, 0.49},
        {true, Qt::Key_Greater, 0.51}, {true, Qt::Key_PageDown, 0.4}, {true, Qt::Key_End, 1.0},
        {false, Qt::Key_Minus, 0.9},   {false, Qt::Key_Plus, 1.1},    {false, Qt::Key_Greater, 1.1},
        {false, Qt::Key_Left, 0.9},    {false, Qt::Key_PageUp, 2.0},  {false, Qt::Key_End, 20.0}};
    for (const auto& [speed, input, expected] : cases) {
        SCOPED_TRACE(testing::Message()
                     << speed << " " << QKeySequence(input).toString().toStdString());
        state->setCurrentPointerSpeed(0.5);
        state->setCurrentPointerAcceleration(1.0);
        const ValueSliderRow* row = speed ? controls().speedRow() : controls().accelerationRow();
        FineSlider* slider = row->slider();
        const QPoint beside(slider->width() / 4, 0);
        if (input == Qt::Key_Minus || input == Qt::Key_Plus)
            (input == Qt::Key_Minus ? row->decreaseButton() : row->increaseButton())->click();
        else if (input == Qt::Key_Less || input == Qt::Key_Greater)
            QTest::mouseClick(slider, Qt::LeftButton, {},
                              slider->rect().center() + (input == Qt::Key_Less ? -beside : beside));
        else
            QTest::keyClick(slider, input);
        EXPECT_EQ(speed ? state->currentPointerSpeed() : state->currentPointerAcceleration(),
                  expected);
    }

    // On the handle, a press that shakes less than the drag distance is a click and moves
    // nothing; a drag moves the handle freely, on fine steps.
    QSlider* slider = controls().speedRow()->slider();
    const QPoint handle = slider->rect().center();
    const int shake = QApplication::startDragDistance() - 1;
    for (const int by : {shake, -shake, slider->width() / 4 + 3, -slider->width() / 5 - 1}) {
        SCOPED_TRACE(by);
        state->setCurrentPointerSpeed(0.5);
        QTest::mousePress(slider, Qt::LeftButton, {}, handle);
        QTest::mouseMove(slider, handle + QPoint(by, 0));
        QTest::mouseRelease(slider, Qt::LeftButton, {}, handle + QPoint(by, 0));
        const double speed = state->currentPointerSpeed();
        EXPECT_EQ(speed == 0.5, std::abs(by) == shake);
        EXPECT_NEAR(speed * 100, std::round(speed * 100), 1e-9) << "between fine steps";
    }
}

// While it is on, the factor's row sets the device's factor.
TEST_F(PointerControlViewTest, PrecisionModeIsSwitchedAndShownAndItsBoundIsSaid)
{
    remember(HeadMouse, {0.0, 1.0, false});
    connect("Head Mouse", 4660, 171);
    PointerControlsForm& form = *showView().controlsForm();
    form.precisionToggle()->click();
    EXPECT_TRUE(state->precisionMode());
    for (const auto& [typed, bounded, name] :
         {std::tuple("0.8", false, "Precision mode, 0.8× speed"),
          std::tuple("0.05", true, "Precision mode, 0.6× speed")}) {
        enter(form.precisionFactorRow()->numberField(), typed);
        EXPECT_EQ(form.precisionBoundNote()->isVisible(), bounded);
        EXPECT_EQ(form.precisionToggle()->accessibleName(), name);
    }
    state->setPrecisionMode(false);
    EXPECT_FALSE(form.precisionToggle()->isChecked() || form.precisionRows()->isVisible());
}

// A dwell clicker held at the centre of "Decrease Pointer speed" acts on that button through
// 50 clicks while the question comes (the speed halved) and goes (its countdown over):
// nothing moves under it, not when devices arrive either, and the window keeps its size.
TEST_F(PointerControlViewTest, APointerHeldOnOneControlActsOnItWhileTheQuestionComesAndGoes)
{
    remember(HeadMouse, {0.5, 1.0, false});
    connect("Head Mouse", 4660, 171);
    KeepOrGoBack model(build(), {60000, 1, 40});
    showView(&model);
    QPushButton* decrease = controls().speedRow()->decreaseButton();
    const QPoint dwell = decrease->mapTo(view.get(), decrease->rect().center());
    const QSize size = view->size();
    int questions = 0, answers = 0;
    QObject::connect(&model, &KeepOrGoBack::askingChanged,
                     [&](bool asking) { ++(asking ? questions : answers); });
    for (int click = 0; click < 50; ++click) {
        if (click % 20 == 10)
            connect(QStringLiteral("Foot Mouse %1").arg(click), 1, click);
        QWidget* under = view->childAt(dwell);
        ASSERT_EQ(under, decrease) << "click " << click;
        QTest::mouseClick(under, Qt::LeftButton, {}, under->mapFrom(view.get(), dwell));
        runMainLoopFor(click % 20 == 19 ? 60 : 1);
    }
    EXPECT_GE(questions, 1);
    EXPECT_GE(answers, 1);
    EXPECT_EQ(view->size(), size);
    model.goBack();
    waitForReadBacks();
    view.reset(); // before the model its question asks
}
