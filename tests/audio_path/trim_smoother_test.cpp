#include "core/trim_smoother.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(TrimLevel, CoversMinusToPlusTwentyDecibelsInTenthSteps)
{
    EXPECT_DOUBLE_EQ(trimLevelDecibels(0.5f), 0.0);
    EXPECT_DOUBLE_EQ(trimLevelDecibels(0.0f), -20.0);
    EXPECT_DOUBLE_EQ(trimLevelDecibels(1.0f), 20.0);
    EXPECT_NEAR(trimLevelDecibels(0.5f + 1.0f / 400.0f), 0.1, 1e-12);
    // Just under half a step rounds down, just over it rounds up.
    EXPECT_NEAR(trimLevelDecibels(0.75f + 0.0012f), 10.0, 1e-12);
    EXPECT_NEAR(trimLevelDecibels(0.75f + 0.0013f), 10.1, 1e-12);

    EXPECT_DOUBLE_EQ(trimLevelDecibels(-3.0f), -20.0);
    EXPECT_DOUBLE_EQ(trimLevelDecibels(7.0f), 20.0);
    EXPECT_DOUBLE_EQ(trimLevelDecibels(std::numeric_limits<float>::quiet_NaN()), 0.0);

    EXPECT_FLOAT_EQ(trimGain(0.0), 1.0f);
    EXPECT_FLOAT_EQ(trimGain(20.0), 10.0f);
    EXPECT_FLOAT_EQ(trimGain(-20.0), 0.1f);
    EXPECT_NEAR(trimGain(6.0), 1.99526f, 1e-5f);
}

// Samples until the gain has covered `share` of the way from `from` to the target.
int samplesToReach(TrimSmoother& smoother, float from, double share)
{
    const double target = smoother.target();
    for (int n = 1; n < 1000000; ++n) {
        if ((smoother.advance() - from) / (target - from) >= share) return n;
    }
    return -1;
}

TEST(TrimSmoother, StepToPlusTwentyDecibelsTakesAboutFifthOfASecond)
{
    TrimSmoother smoother;
    EXPECT_FLOAT_EQ(smoother.coefficient(), 0.0005f);
    smoother.setTarget(trimGain(20.0));
    const int samples = samplesToReach(smoother, 1.0f, 0.99);
    // (1 - 0.0005)^n = 0.01 gives n = 9208.
    EXPECT_GT(samples, 9150);
    EXPECT_LT(samples, 9260);
}

TEST(TrimSmoother, GlideTakesTheSameTimeAtAnyRate)
{
    TrimSmoother smoother;
    smoother.resume(88200.0);
    EXPECT_FLOAT_EQ(smoother.coefficient(), 0.00025f);
    smoother.setTarget(0.1f);
    const int samples = samplesToReach(smoother, 1.0f, 0.99);
    EXPECT_NEAR(samples, 2 * 9208, 120);
}

TEST(TrimSmoother, ResumeAndSuspendLandOnTheTarget)
{
    TrimSmoother smoother;
    smoother.setTarget(3.0f);
    smoother.advance();
    EXPECT_LT(smoother.gain(), 3.0f);
    smoother.suspend();
    EXPECT_EQ(smoother.gain(), 3.0f);
    smoother.setTarget(0.5f);
    smoother.resume(48000.0);
    EXPECT_EQ(smoother.gain(), 0.5f);
}

TEST(TrimSmoother, ReturningToZeroDecibelsEndsExactlyAtUnity)
{
    // Otherwise a trim moved up and back would leave the signal a hair louder for good.
    TrimSmoother smoother;
    smoother.resume(44100.0);
    smoother.setTarget(trimGain(20.0));
    for (int i = 0; i < 20000; ++i) smoother.advance();
    smoother.setTarget(trimGain(0.0));
    float gain = 0.0f;
    for (int i = 0; i < 100000; ++i) gain = smoother.advance();
    EXPECT_EQ(gain, 1.0f);
}

TEST(TrimSmoother, OddRatesAndTargetsKeepTheGlideSane)
{
    TrimSmoother smoother;
    for (double rate : {0.0, -44100.0, std::numeric_limits<double>::quiet_NaN(),
                        std::numeric_limits<double>::infinity()}) {
        smoother.resume(rate);
        EXPECT_GT(smoother.coefficient(), 0.0f) << rate;
        EXPECT_LE(smoother.coefficient(), 0.0005f) << rate;
    }
    // A very low rate must not overshoot: the step is at most the whole distance.
    smoother.resume(5.0);
    EXPECT_LE(smoother.coefficient(), 1.0f);
    smoother.setTarget(4.0f);
    EXPECT_EQ(smoother.advance(), 4.0f);

    smoother.setTarget(std::numeric_limits<float>::quiet_NaN());
    smoother.setTarget(std::numeric_limits<float>::infinity());
    EXPECT_EQ(smoother.target(), 4.0f);
    EXPECT_EQ(smoother.advance(), 4.0f);
}

}  // namespace
