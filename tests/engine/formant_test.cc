#include <gtest/gtest.h>
#include <math.h>

#include "engine/formant_filter.h"
#include "engine_test_util.h"
#include "scalar_kernels.h"

namespace {

void expect_formants(const WahEngine& e, float f1, float f2, float f3, float tol) {
    EXPECT_NEAR(e.svf[0].cutoff, f1, tol);
    EXPECT_NEAR(e.svf[1].cutoff, f2, tol);
    EXPECT_NEAR(e.svf[2].cutoff, f3, tol);
    EXPECT_EQ(e.svf[0].q, e.svf[0].cutoff * 0.0125f);
    EXPECT_EQ(e.svf[1].q, e.svf[1].cutoff * 0.01f);
    EXPECT_EQ(e.svf[2].q, e.svf[2].cutoff * 0x1.111112p-7f);
}

void targets_at(WahEngine* e, float p) {
    const VowelPoint v = vowel_morph(e, p);
    formant_targets(e->svf, &v);
}

} // namespace

TEST(Formants, DefaultVowelsSitWhereTheyShould) {
    WahEngine e;
    prepare_default_engine(&e, 48000.0f);
    wah_engine_set_parameter(&e, kMidOn, 1.0f);
    targets_at(&e, 0.0f);
    expect_formants(e, 286.0f, 835.0f, 2515.0f, 2.0f);
    targets_at(&e, 0.5f);
    expect_formants(e, 463.0f, 1797.0f, 2654.0f, 2.0f);
    targets_at(&e, 1.0f);
    expect_formants(e, 926.0f, 1754.0f, 2774.0f, 2.0f);
}

TEST(Formants, ExtremesOfJawTongueColorSexAge) {
    WahEngine e;
    prepare_default_engine(&e, 48000.0f);
    VowelPoint low = {0.0f, 0.0f, 0.0f, 1.0f, 1.0f};
    formant_targets(e.svf, &low);
    expect_formants(e, 220.0f, 650.0f, 2000.0f, 1.5f);
    VowelPoint high = {1.0f, 1.0f, 1.0f, 0.0f, 0.0f};
    formant_targets(e.svf, &high);
    expect_formants(e, 1305.0f, 3479.0f, 4493.0f, 3.0f);
}

TEST(Formants, MorphPathDependsOnTheMidSwitch) {
    WahEngine e;
    prepare_default_engine(&e, 48000.0f);
    VowelPoint off = vowel_morph(&e, 0.5f);
    EXPECT_EQ(off.jaw, e.heel.jaw + (e.toe.jaw - e.heel.jaw) * 0.5f);
    EXPECT_NE(off.jaw, e.mid.jaw);
    wah_engine_set_parameter(&e, kMidOn, 1.0f);
    VowelPoint on = vowel_morph(&e, 0.5f);
    EXPECT_EQ(on.jaw, e.mid.jaw);
    EXPECT_EQ(on.tongue, e.mid.tongue);
    EXPECT_EQ(vowel_morph(&e, 0.0f).color, e.heel.color);
    EXPECT_EQ(vowel_morph(&e, 1.0f).color, e.toe.color);
    VowelPoint q = vowel_morph(&e, 0.25f);
    EXPECT_EQ(q.tongue, e.heel.tongue + (e.mid.tongue - e.heel.tongue) * 0.5f);
}

TEST(Formants, GlideSettlesExactlyAndThenStopsRecomputing) {
    WahEngine e;
    prepare_default_engine(&e, 48000.0f);
    // First block after the first reset glides from 1000 Hz and Q 0.5.
    EXPECT_EQ(e.svf[0].cutoff_cur, 1000.0f);
    std::vector<float> silence(4800, 0.0f);
    process_block(&e, silence);
    for (uint32_t i = 0; i < kFormantCount; ++i) {
        EXPECT_EQ(e.svf[i].cutoff_cur, e.svf[i].cutoff) << i;
        EXPECT_EQ(e.svf[i].q_cur, e.svf[i].q) << i;
    }
    SvfCoeffs settled = e.svf[1];
    svf_update_coeffs(&e.svf[1], false);
    EXPECT_EQ(memcmp(&settled, &e.svf[1], sizeof settled), 0);
}

TEST(Formants, TangentIsLimitedBelowNyquist) {
    WahEngine e;
    prepare_default_engine(&e, 8000.0f);
    SvfCoeffs* c = &e.svf[2];
    EXPECT_NEAR(c->prewarp_max, 3992.0f, 0.01f);
    c->cutoff = 4400.0f; // a third formant above the limit
    c->q = 10.0f;
    svf_reset(c, &e.svf_state[2]);
    // The tangent is taken at the limit, and kf scaled by cutoff / limit.
    const double limit = c->prewarp_max;
    const double t = tan(3.141592653589793 * limit / 8000.0) / limit;
    EXPECT_NEAR(c->t / t, 1.0, 0.02);
    EXPECT_NEAR(c->kf / (t * 4400.0), 1.0, 0.02);
    // The filter stays stable there.
    const std::vector<float> in = test_noise(8000, 0.5f);
    float peak = 0.0f;
    for (float x : in)
        peak = fmaxf(peak, fabsf(svf_process(c, &e.svf_state[2], x)));
    EXPECT_TRUE(isfinite(peak));
    EXPECT_LT(peak, 20.0f);
}

TEST(Formants, BandPassRejectsSilenceAndDirectCurrent) {
    WahEngine e;
    prepare_default_engine(&e, 44100.0f);
    SvfCoeffs* c = &e.svf[0];
    SvfState* s = &e.svf_state[0];
    for (int i = 0; i < 1000; ++i)
        EXPECT_EQ(svf_process(c, s, 0.0f), 0.0f);
    float y = 0.0f;
    float peak = 0.0f;
    for (int i = 0; i < 44100; ++i) {
        y = svf_process(c, s, 1.0f);
        peak = fmaxf(peak, fabsf(y));
    }
    EXPECT_GT(peak, 0.01f);
    EXPECT_LT(fabsf(y), 1e-4f);
    // A sine at the centre passes with a gain of Q (0.5 at construction).
    const float f = c->cutoff_cur;
    float amp = 0.0f;
    for (int i = 0; i < 44100; ++i) {
        y = svf_process(c, s, sinf(6.2831853f * f * static_cast<float>(i) / 44100.0f));
        if (i > 22050)
            amp = fmaxf(amp, fabsf(y));
    }
    EXPECT_NEAR(amp, c->q_cur, 0.02f);
}
