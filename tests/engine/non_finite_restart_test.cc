// Where each piece of the engine starts again after a non-finite value got
// into it: a filter whose memories overflowed keeps its glide and restarts
// silent at the glide's current cutoff; a filter whose glide itself is lost
// starts over from its construction values; the modulators and the mix go
// back to their resting values. Driven only through the public interface;
// the block start of the next call (even an empty one) does the recovery.
#include <float.h>
#include <gtest/gtest.h>
#include <math.h>

#include "engine_test_util.h"

namespace {

constexpr float kRate = 48000.0f;

// The pedal settled at the heel, then sent to the toe a few samples ago: the
// three formant filters are gliding, well away from both ends.
void prepare_gliding(WahEngine* e) {
    prepare_default_engine(e, kRate);
    wah_engine_set_parameter(e, kPosition, 0.0f);
    process_block(e, test_noise(4800, 0.2f));
    wah_engine_set_parameter(e, kPosition, 100.0f);
    process_block(e, test_noise(24, 0.2f));
}

// Finite input at the largest float, alternating in sign: the filters'
// memories overflow while everything the pedal hears stays finite.
std::vector<float> overflowing(size_t n) {
    std::vector<float> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = (i % 2) ? -FLT_MAX : FLT_MAX;
    return v;
}

void block_start_only(WahEngine* e) {
    float unused = 0.0f;
    wah_engine_process(e, &unused, &unused, 0);
}

bool memories_finite(const SvfState& s) {
    return isfinite(s.hp_z1) && isfinite(s.lp_z1) && isfinite(s.bp_z1) && isfinite(s.cutoff_z1);
}

} // namespace

TEST(NonFiniteRestart, OverflowedFilterRestartsSilentAtItsCurrentGlide) {
    WahEngine e;
    prepare_gliding(&e);
    process_block(&e, overflowing(16));
    SvfCoeffs glide[kFormantCount];
    for (uint32_t i = 0; i < kFormantCount; ++i) {
        glide[i] = e.svf[i];
        ASSERT_FALSE(memories_finite(e.svf_state[i])) << "filter " << i;
        ASSERT_TRUE(isfinite(glide[i].cutoff_cur) && isfinite(glide[i].kf));
        // Mid-glide: the current cutoff is neither the target nor a reset's.
        ASSERT_GT(fabsf(glide[i].cutoff - glide[i].cutoff_cur), 1.0f) << "filter " << i;
    }

    block_start_only(&e);
    for (uint32_t i = 0; i < kFormantCount; ++i) {
        SCOPED_TRACE(i);
        const SvfState& s = e.svf_state[i];
        EXPECT_EQ(0.0f, s.hp_z1);
        EXPECT_EQ(0.0f, s.lp_z1);
        EXPECT_EQ(0.0f, s.bp_z1);
        // The memories are scaled by the previous sample's cutoff: that is
        // the cutoff the glide has reached, which the glide keeps.
        EXPECT_EQ(float_bits(glide[i].cutoff_cur), float_bits(s.cutoff_z1));
        EXPECT_EQ(float_bits(glide[i].cutoff_cur), float_bits(e.svf[i].cutoff_cur));
        EXPECT_EQ(float_bits(glide[i].q_cur), float_bits(e.svf[i].q_cur));
        EXPECT_EQ(float_bits(glide[i].cutoff), float_bits(e.svf[i].cutoff));
    }

    // It sounds again at once, and the glide goes on toward the toe.
    const std::vector<float> out = process_block(&e, test_noise(256, 0.2f));
    float energy = 0.0f;
    for (float y : out) {
        ASSERT_TRUE(isfinite(y));
        energy += y * y;
    }
    EXPECT_GT(energy, 1e-4f);
    for (uint32_t i = 0; i < kFormantCount; ++i) {
        EXPECT_TRUE(memories_finite(e.svf_state[i]));
        EXPECT_LT(fabsf(e.svf[i].cutoff - e.svf[i].cutoff_cur),
                  fabsf(glide[i].cutoff - glide[i].cutoff_cur));
    }
}

TEST(NonFiniteRestart, LostGlideStartsOverFromTheConstructionValues) {
    WahEngine e;
    prepare_gliding(&e);
    // A vowel setting that scales all three formants.
    const float heel_sex = wah_engine_get_parameter(&e, kHeelSex);
    wah_engine_set_parameter(&e, kHeelSex, NAN);
    process_block(&e, test_noise(64, 0.2f));
    for (uint32_t i = 0; i < kFormantCount; ++i)
        ASSERT_FALSE(isfinite(e.svf[i].cutoff_cur)) << "filter " << i;
    wah_engine_set_parameter(&e, kHeelSex, heel_sex);
    wah_engine_set_parameter(&e, kPosition, 30.0f);

    block_start_only(&e);
    for (uint32_t i = 0; i < kFormantCount; ++i) {
        SCOPED_TRACE(i);
        const SvfCoeffs& c = e.svf[i];
        const SvfState& s = e.svf_state[i];
        EXPECT_EQ(1000.0f, c.cutoff_cur);
        EXPECT_EQ(0.5f, c.q_cur);
        EXPECT_EQ(1000.0f, s.cutoff_z1);
        EXPECT_TRUE(s.hp_z1 == 0.0f && s.lp_z1 == 0.0f && s.bp_z1 == 0.0f);
        EXPECT_TRUE(isfinite(c.t) && isfinite(c.kf) && isfinite(c.k) && isfinite(c.hp1));
    }
    // From there the filters glide to the new pedal's formants.
    WahEngine settled;
    prepare_default_engine(&settled, kRate);
    wah_engine_set_parameter(&settled, kPosition, 30.0f);
    process_block(&settled, std::vector<float>(16, 0.0f));
    process_block(&e, std::vector<float>(9600, 0.0f));
    for (uint32_t i = 0; i < kFormantCount; ++i)
        EXPECT_EQ(float_bits(settled.svf[i].cutoff), float_bits(e.svf[i].cutoff_cur));
}

TEST(NonFiniteRestart, ModulatorsAndMixGoBackToRest) {
    WahEngine e;
    prepare_gliding(&e);
    wah_engine_set_parameter(&e, kEnvOn, 1.0f);
    wah_engine_set_parameter(&e, kLfoFreeRate, INFINITY);
    wah_engine_set_parameter(&e, kMix, INFINITY);
    std::vector<float> in = test_noise(64, 0.2f);
    in[5] = INFINITY;
    process_block(&e, in);
    ASSERT_FALSE(isfinite(e.env_level));
    ASSERT_FALSE(isfinite(e.lfo_phase_acc));
    ASSERT_FALSE(isfinite(e.mix_state));

    wah_engine_set_parameter(&e, kLfoFreeRate, 2.0f);
    wah_engine_set_parameter(&e, kMix, 40.0f);
    block_start_only(&e);
    EXPECT_EQ(0.0f, e.env_level);
    EXPECT_EQ(0.0f, e.lfo_phase_acc);
    // The mix does not fade in from nothing: it is at its new setting.
    EXPECT_NEAR(0.4f, e.mix_target, 1e-6f);
    EXPECT_EQ(float_bits(e.mix_target), float_bits(e.mix_state));
}
