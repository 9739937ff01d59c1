#include <gtest/gtest.h>
#include <math.h>

#include "engine_test_util.h"

TEST(EngineParameters, DefaultsGiveTheDocumentedInternalValues) {
    WahEngine e;
    prepare_default_engine(&e, 48000.0f);
    EXPECT_EQ(e.lfo_sync_index, 7);
    EXPECT_EQ(e.lfo_freq, 2.0f);
    EXPECT_EQ(e.lfo_skew, 0.5f);
    EXPECT_EQ(e.bypass_target, 1.0f);
    EXPECT_EQ(e.mix_target, 1.0f);
    EXPECT_EQ(e.mod_position, 50.0f);
    EXPECT_EQ(e.lfo_phase, 0.0f);
    EXPECT_EQ(e.lfo_out, 0.0f);
    EXPECT_EQ(e.env_out, 0.0f);
    EXPECT_EQ(e.sample_rate, 48000.0f);
    EXPECT_EQ(e.sample_period, 1.0f / 48000.0f);
    EXPECT_EQ(e.lfo_inc, e.sample_period * 2.0f);
    EXPECT_EQ(e.heel.jaw, 12.4222007837421f * 0x1.47ae14p-7f);
    EXPECT_FALSE(e.mid_on);
    for (uint32_t i = 0; i < kInputParameterCount; ++i)
        EXPECT_EQ(wah_engine_get_parameter(&e, i),
                  static_cast<float>(kInputParameterRecords[i].default_value));
}

TEST(EngineParameters, ScalingAndLimits) {
    WahEngine e;
    prepare_default_engine(&e, 44100.0f);
    wah_engine_set_parameter(&e, kLfoSkew, -100.0f);
    EXPECT_EQ(float_bits(e.lfo_skew), 0x3A83126Fu);
    wah_engine_set_parameter(&e, kLfoSkew, 100.0f);
    EXPECT_EQ(float_bits(e.lfo_skew), 0x3F7FBE77u);
    wah_engine_set_parameter(&e, kLfoSyncPhase, 360.0f);
    EXPECT_EQ(e.lfo_sync_offset, 0.0f);
    wah_engine_set_parameter(&e, kLfoSyncPhase, 90.0f);
    EXPECT_EQ(e.lfo_sync_offset, 0.25f);
    wah_engine_set_parameter(&e, kLfoAmount, 50.0f);
    EXPECT_EQ(e.lfo_gain, 50.0f * 0x1.47ae14p-8f);
    wah_engine_set_parameter(&e, kEnvAmount, -100.0f);
    EXPECT_EQ(e.env_gain, -50.0f);
    wah_engine_set_parameter(&e, kMidOn, 1.0f);
    wah_engine_set_parameter(&e, kLfoOn, 0.6f);
    wah_engine_set_parameter(&e, kEnvOn, NAN);
    EXPECT_TRUE(e.mid_on);
    EXPECT_EQ(e.lfo_on, 1.0f);
    EXPECT_EQ(e.env_on, 0.0f);
    wah_engine_set_parameter(&e, kBypass, 1.0f);
    EXPECT_EQ(e.bypass_target, 0.0f);
    wah_engine_set_parameter(&e, kToeAge, 40.0f);
    EXPECT_EQ(e.toe.age, 40.0f * 0x1.47ae14p-7f);
    EXPECT_EQ(e.mid.age, 1.0f);
}

TEST(EngineParameters, EnvelopeTimesMarkChangesOnlyWhenTheyChange) {
    WahEngine e;
    prepare_default_engine(&e, 48000.0f);
    EXPECT_NEAR(e.env_coeffs.cutoff_up, 1.5915f, 1e-4f);
    EXPECT_EQ(e.env_coeffs.changed, 0u);
    wah_engine_set_parameter(&e, kEnvAttack, 100.0f);
    EXPECT_EQ(e.env_coeffs.changed, 0u);
    wah_engine_set_parameter(&e, kEnvRelease, 1000.0f);
    EXPECT_EQ(e.env_coeffs.changed, static_cast<uint32_t>(kOnePoleChangedDown));
    const float before = e.env_coeffs.m_a1d;
    float x = 0.0f;
    wah_engine_process(&e, &x, &x, 0); // the block start applies it
    EXPECT_EQ(e.env_coeffs.changed, 0u);
    EXPECT_GT(e.env_coeffs.m_a1d, before);
}

TEST(EngineParameters, SyncRateFollowsTempoAndStaysInTheTable) {
    WahEngine e;
    prepare_default_engine(&e, 48000.0f);
    wah_engine_set_parameter(&e, kLfoSync, 1.0f);
    EXPECT_NEAR(e.lfo_freq, 2.0f, 1e-6f); // 120 bpm, one cycle per quarter
    wah_engine_set_parameter(&e, kLfoSyncRate, 1.0f);
    EXPECT_NEAR(e.lfo_freq, 1.0f / 3.0f, 1e-6f);
    // Out-of-range values are the caller's fault; the table is never left.
    wah_engine_set_parameter(&e, kLfoSyncRate, 30.0f);
    EXPECT_EQ(e.lfo_sync_index, 23);
    wah_engine_set_parameter(&e, kLfoSyncRate, -5.0f);
    EXPECT_EQ(e.lfo_sync_index, 0);
    wah_engine_set_parameter(&e, kLfoSyncRate, NAN);
    EXPECT_EQ(e.lfo_sync_index, 0);
    wah_engine_set_parameter(&e, kLfoSync, 0.0f);
    wah_engine_set_parameter(&e, kLfoFreeRate, 5.0f);
    EXPECT_EQ(e.lfo_freq, 5.0f);
    EXPECT_NE(e.lfo_inc, e.sample_period * 5.0f); // not before the next block
}

TEST(EngineParameters, OutOfRangeIndicesAndResets) {
    WahEngine e;
    prepare_default_engine(&e, 48000.0f);
    WahEngine copy = e;
    wah_engine_set_parameter(&e, 32, 7.0f);
    wah_engine_set_parameter(&e, 1u << 31, 7.0f);
    EXPECT_EQ(memcmp(&copy, &e, sizeof e), 0);
    EXPECT_EQ(wah_engine_get_parameter(&e, 40), 0.0f);
    const float first = e.random_value;
    wah_engine_reset(&e);
    EXPECT_NE(e.random_value, first); // the generator is not re-seeded
    EXPECT_GE(e.random_value, -1.0f);
    EXPECT_LT(e.random_value, 1.0f);
}
