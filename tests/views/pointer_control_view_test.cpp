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
    const auto twin = connect("Foot Mouse", 2, 2);
    const auto odd = connect("<b>x</b> %1 &Mouse", 3, 3);
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
    EXPECT_EQ(v.deviceForm()->picker()->disconnectedSelection(), nullptr);

    // The selected device unplugged stays in the list, greyed, and still the chosen one.
    unplug(odd);
    const QAbstractButton* away = v.deviceForm()->picker()->disconnectedSelection();
    ASSERT_NE(away, nullptr);
    EXPECT_TRUE(away->isVisible() && away->isChecked() && !away->isEnabled());
    EXPECT_EQ(away->text(), isolatedText("<b>x</b> %1 &&Mouse") + " (not connected)");
    for (const QAbstractButton* choice : v.deviceForm()->picker()->choices())
        EXPECT_FALSE(choice->isChecked()) << choice->text().toStdString();
    state->setSelectedDeviceID(std::nullopt);
    EXPECT_EQ(v.deviceForm()->picker()->disconnectedSelection(), nullptr);

    for (const auto& device : {mouse, twin})
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

// "Tracking speed" is the pointer speed under another name; the acceleration waits, as it
// was, for acceleration to be switched on again.
TEST_F(PointerControlViewTest, AccelerationSwitchSwapsTheRowsAndTrackingSpeedIsThePointerSpeed)
{
    connect("Head Mouse", 4660, 171);
    showView();
    state->setCurrentPointerAcceleration(7.777);
    state->setCurrentPointerSpeed(0.333);
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
    EXPECT_EQ(form.trackingSpeedRow()->slider()->value(), 333);
    EXPECT_EQ(form.trackingSpeedRow()->numberField()->text(), "0.33");
    form.trackingSpeedRow()->slider()->setValue(600);
    EXPECT_EQ(state->currentPointerSpeed(), 0.6);

    form.disableAccelerationToggle()->click();
    ASSERT_TRUE(swapped());
    expectRows(true);
    EXPECT_EQ(form.accelerationRow()->slider()->value(), 778);
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

// KWin has no amount of acceleration apart from the speed: its slider is shown disabled, with
// a note, so that moving it cannot seem to do nothing.
TEST_F(PointerControlViewTest, AccelerationAmountIsDisabledWithANoteWhereTheBackendHasNone)
{
    build();
    for (const bool supported : {true, false}) {
        PointerControlsForm form(*state, supported);
        EXPECT_EQ(form.accelerationRow()->isEnabled(), supported);
        EXPECT_EQ(form.accelerationNote() == nullptr, supported);
        EXPECT_TRUE(form.speedRow()->isEnabled());
    }
}

// The sliders have a position for every speed typed to three decimals and every
// acceleration typed to two, and moving there gives back exactly that value.
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

    speed->setValue(250);
    EXPECT_EQ(state->currentPointerSpeed(), 0.25);
    EXPECT_EQ(speedField->text(), "0,25");
    QTest::keyClick(speed, Qt::Key_Right);
    EXPECT_EQ(state->currentPointerSpeed(), 0.26);
    speed->setValue(5000);
    EXPECT_EQ(state->currentPointerSpeed(), 1.0);
    acceleration->setValue(-3);
    EXPECT_EQ(state->currentPointerAcceleration(), 0.0);

    // Typed numbers count once committed, by Return or by leaving the field.
    type(speedField, "0,75");
    EXPECT_EQ(state->currentPointerSpeed(), 1.0);
    QTest::keyClick(speedField, Qt::Key_Return);
    EXPECT_EQ(state->currentPointerSpeed(), 0.75);
    type(accelerationField, "12,5");
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

// Decimal commas and points both mean a decimal mark, whatever the locale; a group separator
// is never read as one, a number beyond the range is bounded, and text that is not a number
// is refused. The field then shows the value applied.
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

// Up to five devices and the auto-switch options are all in view without scrolling: at the
// settings window's default size, 580 x 480, for one or two devices with no large empty
// part left, and in a window grown to fit for up to five. A longer list scrolls instead.
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
    const DeviceForm& form = *view->deviceForm();
    const QWidget* revert = controls().revertButton();
    QList<int> heights;
    int emptyBelow = 0;
    for (int count = 1; count <= 6; ++count) {
        SCOPED_TRACE(count);
        connect(QString("Mouse %1").arg(count), count, count);
        QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        heights.append(view->height());
        if (count == 1)
            emptyBelow =
                view->height() - revert->mapTo(view.get(), revert->rect().bottomLeft()).y();
        EXPECT_EQ(form.pickerArea()->verticalScrollBar()->maximum() > 0, count > 5);
        const QList<QAbstractButton*> choices = form.picker()->choices();
        EXPECT_TRUE(std::all_of(choices.begin(), choices.begin() + std::min(count + 1, 6), inView));
        EXPECT_TRUE(inView(form.autoSwitchOptions()->preferredNameRow()));
        EXPECT_TRUE(inView(revert));
    }
    EXPECT_EQ(heights.mid(0, 2), QList<int>({480, 480}));
    EXPECT_EQ(heights[5], heights[4]) << "a longer list scrolls rather than grows";
    EXPECT_LT(emptyBelow, 80) << "a large empty part under the controls";
}
