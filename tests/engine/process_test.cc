#include <gtest/gtest.h>
#include <math.h>

#include "engine_test_util.h"

namespace {

void set_busy_settings(WahEngine* e) {
    wah_engine_set_parameter(e, kLfoOn, 1.0f);
    wah_engine_set_parameter(e, kLfoWaveform, 2.5f);
    wah_engine_set_parameter(e, kLfoFreeRate, 7.0f);
    wah_engine_set_parameter(e, kEnvOn, 1.0f);
    wah_engine_set_parameter(e, kEnvAmount, -60.0f);
    wah_engine_set_parameter(e, kMidOn, 1.0f);
    wah_engine_set_parameter(e, kMix, 70.0f);
}

bool same_bits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

} // namespace

TEST(Process, SilenceInGivesExactSilenceOut) {
    for (float fs : {44100.0f, 96000.0f}) {
        WahEngine e;
        prepare_default_engine(&e, fs);
        set_busy_settings(&e);
        wah_engine_set_parameter(&e, kLfoWaveform, 4.0f);
        std::vector<float> silence(9000, 0.0f);
        const std::vector<float> out = process_block(&e, silence);
        for (float y : out)
            ASSERT_EQ(float_bits(y), 0u);
        EXPECT_NE(e.mod_position, 50.0f); // the LFO moved the pedal meanwhile
    }
}

TEST(Process, InPlaceEqualsSeparateBuffers) {
    WahEngine a, b;
    prepare_default_engine(&a, 48000.0f);
    set_busy_settings(&a);
    b = a;
    const std::vector<float> in = test_noise(5000, 0.3f);
    const std::vector<float> separate = process_block(&a, in);
    std::vector<float> buffer = in;
    wah_engine_process(&b, buffer.data(), buffer.data(), static_cast<int32_t>(buffer.size()));
    EXPECT_TRUE(same_bits(separate, buffer));
    EXPECT_EQ(memcmp(&a, &b, sizeof a), 0);
}

TEST(Process, BlockSizeDoesNotChangeTheSound) {
    WahEngine a, b;
    prepare_default_engine(&a, 48000.0f);
    set_busy_settings(&a);
    b = a;
    const std::vector<float> in = test_noise(4096, 0.2f);
    const std::vector<float> whole = process_block(&a, in);
    std::vector<float> pieces(in.size());
    for (size_t i = 0; i < in.size(); i += 64)
        wah_engine_process(&b, in.data() + i, pieces.data() + i, 64);
    EXPECT_TRUE(same_bits(whole, pieces));
}

TEST(Process, EmptyBlockStillDoesTheBlockStart) {
    WahEngine e;
    prepare_default_engine(&e, 48000.0f);
    std::vector<float> in = test_noise(300, 0.5f);
    process_block(&e, in);
    wah_engine_set_parameter(&e, kLfoSync, 1.0f);
    wah_engine_set_parameter(&e, kEnvAttack, 5.0f);
    wah_engine_set_parameter(&e, kLfoFreeRate, 3.0f);
    TransportInfo ti{};
    ti.valid_mask = kTransportRolling | kTransportPositionQuarters;
    ti.rolling = true;
    ti.position_quarters = 2.5;
    wah_engine_apply_transport(&e, &ti);
    const float outputs[4] = {e.mod_position, e.lfo_phase, e.lfo_out, e.env_out};
    float untouched = 42.0f;
    wah_engine_process(&e, &untouched, &untouched, 0);
    EXPECT_EQ(untouched, 42.0f);
    EXPECT_EQ(outputs[0], e.mod_position);
    EXPECT_EQ(outputs[1], e.lfo_phase);
    EXPECT_EQ(outputs[2], e.lfo_out);
    EXPECT_EQ(outputs[3], e.env_out);
    EXPECT_EQ(e.resync_position, -1.0);  // consumed
    EXPECT_EQ(e.lfo_phase_acc, 0.5f);    // 2.5 quarters at one cycle each
    EXPECT_EQ(e.env_coeffs.changed, 0u); // new attack in force
    EXPECT_EQ(e.lfo_freq_applied, e.lfo_freq);
}

TEST(Process, ParameterChangesActFromTheNextBlockOnly) {
    WahEngine a, b;
    prepare_default_engine(&a, 48000.0f);
    const std::vector<float> in = test_noise(512, 0.25f);
    process_block(&a, in);
    b = a;
    // The same block, once with a change applied after it, once without.
    const std::vector<float> first_a = process_block(&a, in);
    const std::vector<float> first_b = process_block(&b, in);
    wah_engine_set_parameter(&b, kPosition, 90.0f);
    wah_engine_set_parameter(&b, kMix, 20.0f);
    EXPECT_TRUE(same_bits(first_a, first_b));
    const std::vector<float> second_a = process_block(&a, in);
    const std::vector<float> second_b = process_block(&b, in);
    EXPECT_NE(float_bits(second_a[0]), float_bits(second_b[0])); // from the first sample
}

TEST(Process, MixAndPositionLimits) {
    WahEngine e;
    prepare_default_engine(&e, 48000.0f);
    wah_engine_set_parameter(&e, kPosition, 100.0f);
    wah_engine_set_parameter(&e, kEnvOn, 1.0f);
    wah_engine_set_parameter(&e, kLfoOn, 1.0f);
    wah_engine_set_parameter(&e, kLfoBias, 100.0f);
    const std::vector<float> loud = test_noise(20000, 1.0f);
    for (size_t i = 0; i < loud.size(); i += 100) {
        float y[100];
        wah_engine_process(&e, loud.data() + i, y, 100);
        ASSERT_GE(e.mod_position, 0.0f);
        ASSERT_LE(e.mod_position, 100.0f);
    }
    EXPECT_EQ(e.mod_position, 100.0f);
    wah_engine_set_parameter(&e, kMix, 0.0f);
    process_block(&e, std::vector<float>(48000, 0.0f));
    const std::vector<float> in = test_noise(256, 0.5f);
    const std::vector<float> out = process_block(&e, in);
    for (size_t i = 0; i < in.size(); ++i)
        EXPECT_NEAR(out[i], in[i], 1e-5f);
}

TEST(Process, BypassFadesWithAFiftyMillisecondTimeConstant) {
    WahEngine e;
    prepare_default_engine(&e, 48000.0f);
    process_block(&e, std::vector<float>(4800, 0.0f));
    wah_engine_set_parameter(&e, kBypass, 1.0f);
    process_block(&e, std::vector<float>(2400, 0.0f)); // 50 ms
    EXPECT_NEAR(e.bypass_state, 1.0f / 2.71828f, 0.01f);
    process_block(&e, std::vector<float>(21600, 0.0f)); // 0.5 s in all
    EXPECT_LT(e.bypass_state, 1e-4f);
    EXPECT_GT(e.bypass_state, 0.0f); // a fade, never a switch
    // The filters keep running while bypassed.
    const std::vector<float> in = test_noise(1000, 0.5f);
    const SvfState before = e.svf_state[0];
    process_block(&e, in);
    EXPECT_NE(before.bp_z1, e.svf_state[0].bp_z1);
    wah_engine_set_parameter(&e, kBypass, 0.0f);
    process_block(&e, std::vector<float>(2400, 0.0f));
    EXPECT_NEAR(e.bypass_state, 1.0f - 1.0f / 2.71828f, 0.01f);
}

TEST(Process, NonFiniteInputOrParametersDoNotSilenceTheEngine) {
    WahEngine e, clean;
    prepare_default_engine(&e, 48000.0f);
    set_busy_settings(&e);
    clean = e;
    const std::vector<float> in = test_noise(256, 0.3f);
    std::vector<float> bad = in;
    bad[10] = NAN;
    bad[20] = INFINITY;
    process_block(&e, bad);
    // A bad sample, then a bad parameter.
    wah_engine_set_parameter(&e, kPosition, NAN);
    wah_engine_set_parameter(&e, kMix, INFINITY);
    wah_engine_set_parameter(&e, kEnvAttack, NAN);
    process_block(&e, in);
    wah_engine_set_parameter(&e, kPosition, 50.0f);
    wah_engine_set_parameter(&e, kMix, 70.0f);
    wah_engine_set_parameter(&e, kEnvAttack, 100.0f);
    TransportInfo ti{};
    ti.valid_mask = kTransportTempo;
    ti.tempo = NAN;
    wah_engine_set_parameter(&e, kLfoSync, 1.0f);
    wah_engine_apply_transport(&e, &ti);
    process_block(&e, in);
    ti.tempo = 120.0f;
    wah_engine_apply_transport(&e, &ti);
    process_block(&e, in); // the block that recovers
    const std::vector<float> out = process_block(&e, in);
    float energy = 0.0f;
    for (float y : out) {
        ASSERT_TRUE(isfinite(y));
        energy += y * y;
    }
    EXPECT_GT(energy, 1e-3f);
    EXPECT_TRUE(isfinite(e.mod_position) && isfinite(e.lfo_out) && isfinite(e.env_out));
    // The guard never touches finite state: a clean engine matches a fresh copy.
    WahEngine twin = clean;
    const std::vector<float> c1 = process_block(&clean, in);
    const std::vector<float> c2 = process_block(&twin, in);
    EXPECT_TRUE(same_bits(c1, c2));
}
