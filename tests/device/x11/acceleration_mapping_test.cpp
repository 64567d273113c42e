#include "device/x11/acceleration_mapping.h"

#include <gtest/gtest.h>

namespace veloquill::x11 {
namespace {

constexpr std::int32_t fixed(double value)
{
    return static_cast<std::int32_t>(value * 65536);
}

TEST(AccelerationMapping, EveryWritableValueReadsBackIdenticallyThroughLibinputSpeed)
{
    float previous = -2;
    for (std::int32_t value = kAccelerationMinimum; value <= kAccelerationMaximum; ++value) {
        const float speed = libinputSpeedForAcceleration(value);
        ASSERT_EQ(accelerationForLibinputSpeed(speed), value) << value;
        ASSERT_GT(speed, previous) << "not strictly increasing at " << value;
        previous = speed;
    }
}

TEST(AccelerationMapping, EveryWritableValueReadsBackIdenticallyThroughVelocityScaling)
{
    float previous = 0;
    for (std::int32_t value = kAccelerationMinimum; value <= kAccelerationMaximum; ++value) {
        const float scaling = velocityScalingForAcceleration(value);
        ASSERT_EQ(accelerationForVelocityScaling(scaling), value) << value;
        ASSERT_GT(scaling, previous) << "not strictly increasing at " << value;
        previous = scaling;
    }
}

TEST(AccelerationMapping, NeutralAccelerationIsEachDevicesOwnDefault)
{
    EXPECT_EQ(libinputSpeedForAcceleration(kAccelerationNeutral), 0.0f);
    EXPECT_EQ(velocityScalingForAcceleration(kAccelerationNeutral), 10.0f);
    EXPECT_EQ(accelerationForPointerControl(2, 1), kAccelerationNeutral);
}

TEST(AccelerationMapping, RangeEndsMeetTheSettingsRangeEnds)
{
    EXPECT_EQ(libinputSpeedForAcceleration(kAccelerationMinimum), -1.0f);
    EXPECT_EQ(libinputSpeedForAcceleration(kAccelerationMaximum), 1.0f);
    EXPECT_EQ(libinputSpeedForAcceleration(fixed(5.75)), 0.25f);
    EXPECT_EQ(libinputSpeedForAcceleration(fixed(0.5)), -0.5f);
    // The server refuses a velocity scaling of 0, so the slowest is 5.
    EXPECT_EQ(velocityScalingForAcceleration(kAccelerationMinimum), 5.0f);
    EXPECT_EQ(velocityScalingForAcceleration(kAccelerationMaximum), 105.0f);
}

TEST(AccelerationMapping, ValuesOutsideTheRangeAreBoundedOnWrite)
{
    EXPECT_EQ(libinputSpeedForAcceleration(fixed(-0.5)), -1.0f);
    EXPECT_EQ(libinputSpeedForAcceleration(fixed(25)), 1.0f);
    EXPECT_EQ(velocityScalingForAcceleration(fixed(25)), 105.0f);
}

TEST(AccelerationMapping, SettingsMadeByOtherProgramsReadAsTheNearestValue)
{
    EXPECT_EQ(accelerationForLibinputSpeed(-3.0f), kAccelerationMinimum);
    EXPECT_EQ(accelerationForLibinputSpeed(0.5f), fixed(10.5));
    EXPECT_EQ(accelerationForVelocityScaling(2.5f), kAccelerationMinimum);
    EXPECT_EQ(accelerationForVelocityScaling(200.0f), fixed(39));
}

TEST(AccelerationMapping, PointerControlReadsAsItsFactorAboveOne)
{
    EXPECT_EQ(accelerationForPointerControl(1, 1), kAccelerationMinimum);
    EXPECT_EQ(accelerationForPointerControl(3, 2), fixed(0.5));
    EXPECT_EQ(accelerationForPointerControl(7, 4), fixed(0.75));
    EXPECT_EQ(accelerationForPointerControl(1, 2), kAccelerationMinimum);
    EXPECT_EQ(accelerationForPointerControl(50, 1), kAccelerationMaximum);
    EXPECT_EQ(accelerationForPointerControl(1, 0), kAccelerationMinimum);
}

} // namespace
} // namespace veloquill::x11
