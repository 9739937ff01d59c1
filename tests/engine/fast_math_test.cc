#include <gtest/gtest.h>
#include <math.h>

#include "engine/fast_math.h"
#include "engine/one_pole.h"
#include "engine_test_util.h"

TEST(FastMath, ReciprocalIsPinnedAndWithinItsError) {
    EXPECT_EQ(float_bits(fast_rcp(0.5f)), float_bits(1.9999758f));
    EXPECT_EQ(float_bits(fast_rcp(1.0f)), float_bits(0.9999879f));
    for (float x = 1e-3f; x < 1e5f; x *= 1.37f) {
        const float r = fast_rcp(x);
        EXPECT_LT(fabs(r * static_cast<double>(x) - 1.0), 1.3e-5) << x;
    }
}

TEST(FastMath, FloorAndFractionAreExact) {
    const float cases[] = {-0.25f,      0.25f,      1.0f,        -1.0f,       -1.5f,
                           2.75f,       8388607.5f, -8388607.5f, 16777216.0f, -3e9f,
                           0.99999994f, -1e-30f,    123.456f};
    for (float x : cases)
        EXPECT_EQ(fast_floor(x), floorf(x)) << x;
    EXPECT_EQ(float_bits(fast_floor(-0.0f)), float_bits(-0.0f));
    EXPECT_EQ(fast_frac(-0.25f), 0.75f);
    EXPECT_EQ(fast_frac(1.0f), 0.0f);
    EXPECT_EQ(fast_frac(5.5f), 0.5f);
    EXPECT_TRUE(isnan(fast_floor(NAN)));
}

TEST(FastMath, PowerOfTwoIsPinned) {
    EXPECT_EQ(fast_pow2(0.0f), 1.0f);
    EXPECT_EQ(float_bits(fast_pow2(0x1.f201ccp+2f)), float_bits(219.94672f));
    EXPECT_EQ(fast_pow2(-126.5f), 0.0f);
    EXPECT_NEAR(fast_pow2(-1.0f), 0.5f, 1e-7f);
    EXPECT_EQ(fast_pow2(3.0f), fast_pow2(-0.0f) * 8.0f);
    for (float x = -20.0f; x < 20.0f; x += 0.0371f) {
        EXPECT_LT(fabs(fast_pow2(x) / exp2(static_cast<double>(x)) - 1.0), 6.2e-4) << x;
    }
    EXPECT_TRUE(isinf(fast_pow2(1000.0f)));
    EXPECT_TRUE(isnan(fast_pow2(NAN)));
}

TEST(FastMath, SineOfTwoPiIsPinned) {
    EXPECT_EQ(fast_sin2pi(0.25f), 1.0f);
    EXPECT_EQ(fast_sin2pi(0.0f), 0.0f);
    EXPECT_EQ(fast_sin2pi(-0.25f), -1.0f);
    EXPECT_EQ(fast_sin2pi(0.75f), -1.0f);
    EXPECT_EQ(fast_sin2pi(1.25f), 1.0f);
    double worst = 0.0;
    for (float x = -2.0f; x < 2.0f; x += 0.00173f) {
        const double err = fabs(fast_sin2pi(x) - sin(6.283185307179586 * x));
        if (err > worst)
            worst = err;
    }
    EXPECT_LT(worst, 0.0109);
    EXPECT_GT(worst, 0.005); // it is an approximation, not a library sine
}

TEST(OnePole, CoefficientsFollowCutoffAndRate) {
    OnePoleCoeffs c;
    one_pole_init(&c, __builtin_inff(), 10.0f, 0.0f);
    one_pole_set_sample_rate(&c, 48000.0f);
    EXPECT_EQ(float_bits(c.fs_2pi), float_bits(0x1.45f306p-3f * 48000.0f));
    one_pole_reset_coeffs(&c);
    EXPECT_EQ(c.changed, 0u);
    EXPECT_EQ(c.m_a1u, 0.0f); // +inf cutoff: a wire
    EXPECT_EQ(one_pole_step_asym(&c, 0.0f, 0.8f), 0.8f);
    const double tau_fs = 48000.0 / (2.0 * 3.141592653589793 * 10.0);
    EXPECT_NEAR(c.m_a1d, tau_fs / (tau_fs + 1.0), 2e-5);
    EXPECT_EQ(one_pole_coefficient(&c, 159154944.0f), c.fs_2pi * fast_rcp(c.fs_2pi + 159154944.0f));
    EXPECT_EQ(one_pole_coefficient(&c, 159155000.0f), 0.0f);
}

TEST(OnePole, SettersMarkOnlyRealChanges) {
    OnePoleCoeffs c;
    one_pole_init(&c, 5.0f, 5.0f, 0.5f);
    one_pole_set_sample_rate(&c, 44100.0f);
    one_pole_reset_coeffs(&c);
    EXPECT_EQ(c.sticky_thresh_sq, 0.25f);
    one_pole_set_cutoff_up(&c, 5.0f);
    one_pole_set_cutoff_down(&c, 5.0f);
    EXPECT_EQ(c.changed, 0u);
    const float old_down = c.m_a1d;
    one_pole_set_cutoff_up(&c, 50.0f);
    EXPECT_EQ(c.changed, static_cast<uint32_t>(kOnePoleChangedUp));
    one_pole_set_cutoff_down(&c, NAN);
    one_pole_set_cutoff_down(&c, NAN); // NaN never equals: marked again, harmless
    EXPECT_EQ(c.changed, static_cast<uint32_t>(kOnePoleChangedUp | kOnePoleChangedDown));
    one_pole_set_cutoff_down(&c, 5.0f);
    one_pole_update_coeffs(&c);
    EXPECT_EQ(c.changed, 0u);
    EXPECT_EQ(c.m_a1u, one_pole_coefficient(&c, 50.0f));
    EXPECT_EQ(c.m_a1d, old_down);
}

TEST(OnePole, TimeConstantAndStickySteps) {
    EXPECT_TRUE(isinf(one_pole_tau_to_cutoff(0.0f)));
    EXPECT_TRUE(isinf(one_pole_tau_to_cutoff(9e-10f)));
    EXPECT_NEAR(one_pole_tau_to_cutoff(0.1f), 1.5915494f, 1e-4f);
    OnePoleCoeffs c;
    one_pole_init(&c, 31.830975f, 31.830975f, 0.001f);
    one_pole_set_sample_rate(&c, 48000.0f);
    one_pole_reset_coeffs(&c);
    // Relative: snaps once within 0.1 % of 1000, i.e. 1 Hz.
    float y = 500.0f;
    int steps = 0;
    while (y != 1000.0f && steps < 100000) {
        const float prev = y;
        y = one_pole_step_sticky_rel(&c, y, 1000.0f);
        if (y != 1000.0f) {
            EXPECT_GT(fabsf(y - 1000.0f), 0.999f) << prev;
        }
        ++steps;
    }
    EXPECT_EQ(y, 1000.0f);
    EXPECT_GT(steps, 100);
    // Absolute: within 0.001.
    EXPECT_EQ(one_pole_step_sticky_abs(&c, 0.5009f, 0.5f), 0.5f);
    EXPECT_NE(one_pole_step_sticky_abs(&c, 0.6f, 0.5f), 0.5f);
    // The symmetric step moves by 1 - a of the distance.
    EXPECT_EQ(one_pole_step(&c, 0.0f, 1.0f), 1.0f + (0.0f - 1.0f) * c.m_a1u);
}
