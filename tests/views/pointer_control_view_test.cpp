#include "settings/settings_state_fixture.h"
#include "views/auto_switch_options.h"
#include "views/device_form.h"
#include "views/device_picker.h"
#include "views/plain_text.h"
#include "views/pointer_control_view.h"
#include "views/pointer_controls_form.h"
#include "views/value_slider_row.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
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
    PointerControlsForm& controls() const { return *view->controlsForm(); }
    bool swapped()
    {
        return runMainLoopUntil([&] { return !controls().isSwappingRows(); });
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
    EXPECT_TRUE(v.noDevicesMessage()->isVisible());
    EXPECT_FALSE(v.deviceForm()->isVisible());
    EXPECT_TRUE(controls().isVisible());

    const auto mouse = connect("Foot Mouse", 1, 1);
    EXPECT_FALSE(v.noDevicesMessage()->isVisible());
    EXPECT_EQ(v.deviceForm()->maximumHeight(), 110);
    const auto twin = connect("Foot Mouse", 2, 2);
    const auto odd = connect("<b>x</b> %1 &Mouse", 3, 3);
    EXPECT_EQ(v.deviceForm()->maximumHeight(), 170) << "thirty more per device";
    const QList<QAbstractButton*> choices = v.deviceForm()->picker()->choices();
    QStringList texts;
    for (const QAbstractButton* choice : choices)
        texts.append(choice->text());
    // Names are isolated, so a right-to-left override in one cannot reorder the others.
    EXPECT_EQ(texts,
              (QStringList{"None (No device selected)", isolatedText("Foot Mouse"),
                           isolatedText("Foot Mouse"), isolatedText("<b>x</b> %1 &&Mouse")}));

    // On the radio mark itself: a row is wider than its caption.
    QTest::mouseClick(choices[2], Qt::LeftButton, {}, QPoint(4, choices[2]->height() / 2));
    EXPECT_EQ(state->selectedDeviceID(), manager->devices()[1]->stableID());
    QTest::mouseClick(choices[0], Qt::LeftButton, {}, QPoint(4, choices[0]->height() / 2));
    EXPECT_EQ(state->selectedDeviceID(), std::nullopt);
    EXPECT_TRUE(controls().speedRow()->slider()->isEnabled()) << "the controls need no selection";
    state->setSelectedDeviceID(manager->devices()[2]->stableID());
    EXPECT_TRUE(choices[3]->isChecked());
    state->setSelectedDeviceID("9-9-Unplugged-N/A");
    for (const QAbstractButton* choice : v.deviceForm()->picker()->choices())
        EXPECT_FALSE(choice->isChecked()) << choice->text().toStdString();

    for (const auto& device : {mouse, twin, odd})
        unplug(device);
    EXPECT_TRUE(v.noDevicesMessage()->isVisible());
    EXPECT_FALSE(v.deviceForm()->isVisible());
}

TEST_F(PointerControlViewTest, PreferredNameIsWrittenEveryKeystrokeAndGreyedWhileAutoSwitchIsOff)
{
    connect("Head Mouse", 4660, 171);
    store->setBoolean(State::AutoSwitchToNewDevicesKey, false);
    const AutoSwitchOptions& options = *showView().deviceForm()->autoSwitchOptions();
    QLineEdit* field = options.preferredNameField();
    const auto expectEnabled = [&](bool enabled) {
        EXPECT_EQ(options.autoSwitchToggle()->isChecked(), enabled);
        EXPECT_EQ(options.preferredNameRow()->isEnabled(), enabled);
        EXPECT_EQ(options.preferredNameRowOpacity(), enabled ? 1.0 : 0.5);
    };
    expectEnabled(false);
    QTest::keyClicks(field, "Zz");
    EXPECT_EQ(state->preferredDeviceName(), "Zono X");

    options.autoSwitchToggle()->click();
    EXPECT_TRUE(state->autoSwitchToNewDevices());
    expectEnabled(true);
    QTest::keyClicks(field, " 2");
    EXPECT_EQ(state->preferredDeviceName(), "Zono X 2");
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(state->preferredDeviceName(), "Zono X ");

    state->setPreferredDeviceName("<i>Trackball</i>");
    EXPECT_EQ(field->text(), "<i>Trackball</i>");
    state->setAutoSwitchToNewDevices(false);
    expectEnabled(false);
}

TEST_F(PointerControlViewTest, AccelerationSwitchSwapsTheSliderRowsWithoutTouchingTheAcceleration)
{
    connect("Head Mouse", 4660, 171);
    showView();
    state->setCurrentPointerAcceleration(7.777);
    PointerControlsForm& form = controls();
    const auto expectRows = [&](bool accelerated) {
        EXPECT_EQ(form.accelerationRow()->isVisible(), accelerated);
        EXPECT_EQ(form.speedRow()->isVisible(), accelerated);
        EXPECT_EQ(form.trackingSpeedRow()->isVisible(), !accelerated);
    };
    expectRows(true);

    form.disableAccelerationToggle()->click();
    EXPECT_TRUE(state->currentPointerDisableAcceleration());
    ASSERT_TRUE(swapped());
    expectRows(false);
    EXPECT_EQ(form.trackingSpeedRow()->title(), "Tracking speed");
    EXPECT_EQ(form.trackingSpeedRow()->slider()->value(), 389);
    EXPECT_EQ(form.trackingSpeedRow()->numberField()->text(), "7.78");

    form.disableAccelerationToggle()->click();
    ASSERT_TRUE(swapped());
    expectRows(true);
    EXPECT_EQ(form.accelerationRow()->slider()->value(), 389);
    EXPECT_EQ(state->currentPointerAcceleration(), 7.777);

    // A change from elsewhere shows at once, and so does the revert.
    state->setCurrentPointerDisableAcceleration(true);
    expectRows(false);
    form.revertButton()->click();
    EXPECT_FALSE(form.disableAccelerationToggle()->isChecked());
    expectRows(true);
    EXPECT_EQ(state->currentPointerAcceleration(), 1.0);
    EXPECT_EQ(form.accelerationRow()->numberField()->text(), "1.0");
}

TEST_F(PointerControlViewTest, SlidersAndNumberFieldsWriteWithinRangeAndNeverWriteBackRounding)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    connect("Head Mouse", 4660, 171);
    showView();
    QSlider* speed = controls().speedRow()->slider();
    QSlider* acceleration = controls().accelerationRow()->slider();
    QLineEdit* speedField = controls().speedRow()->numberField();
    QLineEdit* accelerationField = controls().accelerationRow()->numberField();
    EXPECT_EQ(speedField->text(), "0,5");
    EXPECT_EQ(accelerationField->text(), "1,0");

    speed->setValue(250);
    EXPECT_EQ(state->currentPointerSpeed(), 0.25);
    EXPECT_EQ(speedField->text(), "0,25");
    QTest::keyClick(speed, Qt::Key_Right);
    EXPECT_EQ(state->currentPointerSpeed(), 0.26);
    speed->setValue(5000);
    EXPECT_EQ(state->currentPointerSpeed(), 1.0);
    acceleration->setValue(-3);
    EXPECT_EQ(state->currentPointerAcceleration(), 0.0);

    // Typed numbers, with the locale's decimal comma, count once committed; refused text goes
    // back to the value; a number beyond the range is bounded.
    type(speedField, "0,75");
    EXPECT_EQ(state->currentPointerSpeed(), 1.0);
    QTest::keyClick(speedField, Qt::Key_Return);
    EXPECT_EQ(state->currentPointerSpeed(), 0.75);
    type(accelerationField, "12,5");
    leave(accelerationField);
    EXPECT_EQ(state->currentPointerAcceleration(), 12.5);
    EXPECT_EQ(acceleration->value(), 625);
    enter(accelerationField, "zwei");
    EXPECT_EQ(state->currentPointerAcceleration(), 12.5);
    EXPECT_EQ(accelerationField->text(), "12,5");
    enter(accelerationField, "25");
    EXPECT_EQ(state->currentPointerAcceleration(), 20.0);
    EXPECT_EQ(accelerationField->text(), "20,0");
    EXPECT_EQ(acceleration->value(), 1000);

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
