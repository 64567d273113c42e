#include "settings/settings_state_fixture.h"
#include "views/auto_switch_options.h"
#include "views/device_form.h"
#include "views/device_picker.h"
#include "views/pointer_control_view.h"
#include "views/pointer_controls_form.h"
#include "views/value_slider_row.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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

    PointerControlView& showView()
    {
        build();
        view = std::make_unique<PointerControlView>(*state, *manager);
        view->show();
        EXPECT_TRUE(runMainLoopUntil([this] {
            return log.contains("PointerControlView.onAppear (asyncAfter): Calling "
                                "settingsState.ensureDeviceSelectionAndLoadSettings()");
        }));
        return *view;
    }

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

    PointerControlsForm& controls() const { return *view->controlsForm(); }

    std::unique_ptr<PointerControlView> view;

private:
    QLocale m_savedLocale = QLocale();
};

// On the radio mark itself: a row is wider than its caption.
void choose(QAbstractButton* choice)
{
    QTest::mouseClick(choice, Qt::LeftButton, {}, QPoint(4, choice->height() / 2));
}

QStringList textsOf(const QList<QAbstractButton*>& buttons)
{
    QStringList texts;
    for (const QAbstractButton* button : buttons)
        texts.append(button->text());
    return texts;
}
} // namespace

TEST_F(PointerControlViewTest, DeviceFormGrowsThirtyPerDeviceAndGivesWayToAMessageWithoutDevices)
{
    PointerControlView& v = showView();
    EXPECT_TRUE(v.noDevicesMessage()->isVisible());
    EXPECT_EQ(v.noDevicesMessage()->text(), "No pointer devices detected.");
    EXPECT_FALSE(v.deviceForm()->isVisible());
    EXPECT_TRUE(controls().isVisible());
    EXPECT_TRUE(controls().revertButton()->isEnabled());

    const auto mouse = connect("Head Mouse", 4660, 171);
    EXPECT_FALSE(v.noDevicesMessage()->isVisible());
    EXPECT_TRUE(v.deviceForm()->isVisible());
    EXPECT_EQ(v.deviceForm()->maximumHeight(), 110);
    const auto trackball = connect("Trackball", 2, 2);
    EXPECT_EQ(v.deviceForm()->maximumHeight(), 140);
    drainMainLoop();
    EXPECT_LE(v.deviceForm()->height(), 140);

    unplug(mouse);
    unplug(trackball);
    EXPECT_TRUE(v.noDevicesMessage()->isVisible());
    EXPECT_FALSE(v.deviceForm()->isVisible());
}

TEST_F(PointerControlViewTest, PickerOffersNoneAndEveryDeviceByItsLiteralNameAndSelectsByStableID)
{
    connect("Foot Mouse", 1, 1);
    connect("Foot Mouse", 2, 2);
    connect("<b>x</b> %1 &Mouse", 3, 3);
    PointerControlView& v = showView();
    const DevicePicker& picker = *v.deviceForm()->picker();
    const QList<QAbstractButton*> choices = picker.choices();
    ASSERT_EQ(choices.size(), 4);
    EXPECT_EQ(textsOf(choices), (QStringList{"None (No device selected)", "Foot Mouse",
                                             "Foot Mouse", "<b>x</b> %1 &&Mouse"}));
    EXPECT_TRUE(QKeySequence::mnemonic(choices[3]->text()).isEmpty());
    // The appearance selected the first device.
    EXPECT_TRUE(choices[1]->isChecked());

    const QString twin = manager->devices()[1]->stableID();
    choose(choices[2]);
    EXPECT_EQ(state->selectedDeviceID(), twin);
    EXPECT_TRUE(choices[2]->isChecked());

    choose(choices[0]);
    EXPECT_EQ(state->selectedDeviceID(), std::nullopt);
    // Nothing below depends on the selection.
    EXPECT_TRUE(controls().accelerationRow()->isVisible());
    EXPECT_TRUE(controls().speedRow()->slider()->isEnabled());
    EXPECT_TRUE(controls().revertButton()->isEnabled());

    state->setSelectedDeviceID(manager->devices()[2]->stableID());
    EXPECT_TRUE(choices[3]->isChecked());
    state->setSelectedDeviceID(QStringLiteral("9-9-Unplugged-N/A"));
    EXPECT_EQ(picker.choices().size(), 4);
    for (const QAbstractButton* choice : picker.choices())
        EXPECT_FALSE(choice->isChecked()) << choice->text().toStdString();
}

TEST_F(PointerControlViewTest, PreferredNameRowIsGreyedAndClosedWhileAutoSwitchIsOff)
{
    connect("Head Mouse", 4660, 171);
    store->setBoolean(State::AutoSwitchToNewDevicesKey, false);
    const AutoSwitchOptions& options = *showView().deviceForm()->autoSwitchOptions();
    QLineEdit* field = options.preferredNameField();
    EXPECT_FALSE(options.autoSwitchToggle()->isChecked());
    EXPECT_FALSE(options.preferredNameRow()->isEnabled());
    EXPECT_EQ(options.preferredNameRowOpacity(), 0.5);
    QTest::keyClicks(field, "Zz");
    EXPECT_EQ(state->preferredDeviceName(), "Zono X");

    options.autoSwitchToggle()->click();
    EXPECT_TRUE(state->autoSwitchToNewDevices());
    EXPECT_TRUE(options.preferredNameRow()->isEnabled());
    EXPECT_EQ(options.preferredNameRowOpacity(), 1.0);
    // Every keystroke is written.
    QTest::keyClicks(field, " 2");
    EXPECT_EQ(state->preferredDeviceName(), "Zono X 2");
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(state->preferredDeviceName(), "Zono X ");

    state->setPreferredDeviceName(QStringLiteral("<i>Trackball</i>"));
    EXPECT_EQ(field->text(), "<i>Trackball</i>");
    state->setAutoSwitchToNewDevices(false);
    EXPECT_FALSE(options.autoSwitchToggle()->isChecked());
    EXPECT_FALSE(options.preferredNameRow()->isEnabled());
    EXPECT_EQ(options.preferredNameRowOpacity(), 0.5);
}

TEST_F(PointerControlViewTest, AccelerationSwitchSwapsTheSliderRowsWithoutTouchingTheAcceleration)
{
    connect("Head Mouse", 4660, 171);
    showView();
    state->setCurrentPointerAcceleration(7.777);
    PointerControlsForm& form = controls();
    EXPECT_TRUE(form.accelerationRow()->isVisible());
    EXPECT_TRUE(form.speedRow()->isVisible());
    EXPECT_FALSE(form.trackingSpeedRow()->isVisible());
    log.clear();

    form.disableAccelerationToggle()->click();
    EXPECT_TRUE(state->currentPointerDisableAcceleration());
    EXPECT_TRUE(form.isSwappingRows());
    ASSERT_TRUE(runMainLoopUntil([&] { return !form.isSwappingRows(); }));
    EXPECT_TRUE(form.trackingSpeedRow()->isVisible());
    EXPECT_FALSE(form.accelerationRow()->isVisible());
    EXPECT_FALSE(form.speedRow()->isVisible());
    EXPECT_EQ(form.trackingSpeedRow()->title(), "Tracking speed");
    EXPECT_EQ(form.trackingSpeedRow()->slider()->value(), 389);
    EXPECT_EQ(form.trackingSpeedRow()->numberField()->text(), "7.78");

    form.disableAccelerationToggle()->click();
    ASSERT_TRUE(runMainLoopUntil([&] { return !form.isSwappingRows(); }));
    EXPECT_TRUE(form.accelerationRow()->isVisible());
    EXPECT_TRUE(form.speedRow()->isVisible());
    EXPECT_FALSE(form.trackingSpeedRow()->isVisible());
    EXPECT_EQ(form.accelerationRow()->slider()->value(), 389);
    EXPECT_EQ(state->currentPointerAcceleration(), 7.777);
    EXPECT_TRUE(log.linesStartingWith("UI: currentPointerAcceleration").isEmpty());

    // A change from elsewhere shows at once, and so does the revert.
    state->setCurrentPointerDisableAcceleration(true);
    EXPECT_FALSE(form.isSwappingRows());
    EXPECT_TRUE(form.trackingSpeedRow()->isVisible());
    form.revertButton()->click();
    EXPECT_FALSE(form.disableAccelerationToggle()->isChecked());
    EXPECT_TRUE(form.accelerationRow()->isVisible());
    EXPECT_EQ(state->currentPointerAcceleration(), 1.0);
    EXPECT_EQ(form.accelerationRow()->numberField()->text(), "1.0");
}

TEST_F(PointerControlViewTest, SlidersWriteWithinTheirRangesAndNeverWriteBackTheirRounding)
{
    connect("Head Mouse", 4660, 171);
    showView();
    QSlider* speed = controls().speedRow()->slider();
    QSlider* acceleration = controls().accelerationRow()->slider();
    speed->setValue(250);
    EXPECT_EQ(state->currentPointerSpeed(), 0.25);
    EXPECT_EQ(controls().speedRow()->numberField()->text(), "0.25");
    QTest::keyClick(speed, Qt::Key_Right);
    EXPECT_EQ(state->currentPointerSpeed(), 0.26);
    speed->setValue(5000);
    EXPECT_EQ(state->currentPointerSpeed(), 1.0);
    acceleration->setValue(-3);
    EXPECT_EQ(state->currentPointerAcceleration(), 0.0);

    state->setCurrentPointerSpeed(0.5123);
    EXPECT_EQ(speed->value(), 512);
    EXPECT_EQ(state->currentPointerSpeed(), 0.5123);
    state->setCurrentPointerAcceleration(35.0);
    EXPECT_EQ(acceleration->value(), 1000);
    EXPECT_EQ(state->currentPointerAcceleration(), 35.0);
}

TEST_F(PointerControlViewTest, NumberFieldsReadADecimalCommaAndCommitOnReturnOrLeaving)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    connect("Head Mouse", 4660, 171);
    showView();
    QLineEdit* speed = controls().speedRow()->numberField();
    QLineEdit* acceleration = controls().accelerationRow()->numberField();
    EXPECT_EQ(speed->text(), "0,5");
    EXPECT_EQ(acceleration->text(), "1,0");

    type(speed, "0,75");
    EXPECT_EQ(state->currentPointerSpeed(), 0.5);
    QTest::keyClick(speed, Qt::Key_Return);
    EXPECT_EQ(state->currentPointerSpeed(), 0.75);
    EXPECT_EQ(speed->text(), "0,75");

    type(acceleration, "12,5");
    leave(acceleration);
    EXPECT_EQ(state->currentPointerAcceleration(), 12.5);
    EXPECT_EQ(controls().accelerationRow()->slider()->value(), 625);

    // Refused text goes back to the value; a number beyond the slider passes as typed.
    type(acceleration, "zwei");
    QTest::keyClick(acceleration, Qt::Key_Return);
    EXPECT_EQ(state->currentPointerAcceleration(), 12.5);
    EXPECT_EQ(acceleration->text(), "12,5");
    type(acceleration, "25");
    QTest::keyClick(acceleration, Qt::Key_Return);
    EXPECT_EQ(state->currentPointerAcceleration(), 25.0);
    EXPECT_EQ(controls().accelerationRow()->slider()->value(), 1000);

    // Passing through the field without typing keeps the unrounded value.
    state->setCurrentPointerSpeed(0.5123);
    EXPECT_EQ(speed->text(), "0,51");
    QTest::keyClick(speed, Qt::Key_Return);
    leave(speed);
    EXPECT_EQ(state->currentPointerSpeed(), 0.5123);
}

TEST_F(PointerControlViewTest, EachAppearanceSelectsADeviceAMomentLaterEvenIfTheViewIsGone)
{
    connect("Head Mouse", 4660, 171);
    build();
    log.clear();
    view = std::make_unique<PointerControlView>(*state, *manager);
    view->show();
    view->hide();
    view->show();
    view.reset();
    EXPECT_EQ(log.lines(), QStringList({"PointerControlView.onAppear: Called.",
                                        "PointerControlView.onAppear: Called."}));
    const QString calling = "PointerControlView.onAppear (asyncAfter): Calling "
                            "settingsState.ensureDeviceSelectionAndLoadSettings()";
    ASSERT_TRUE(runMainLoopUntil([&] { return log.lines().count(calling) == 2; }));
    EXPECT_EQ(log.lines().count("PointerControlView.onAppear (asyncAfter): Current PKM devices: 1"),
              2);
    EXPECT_EQ(state->selectedDeviceID(), HeadMouse);
}
