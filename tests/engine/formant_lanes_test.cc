#include <gtest/gtest.h>
#include <math.h>

#include "engine/formant_coefficients.h"
#include "engine/formant_filter.h"
#include "engine/formant_lanes.h"
#include "engine/lfo.h"
#include "engine/wide_forms.h"
#include "engine_test_util.h"
#include "scalar_kernels.h"

// The generic kernels as the baseline build compiles them (the wider
// builds run the same source on wider vectors).
#include "engine/isa_sse2.h"
#include "engine/wide_math.h"

namespace {

// New targets, as formant_targets computes them (filter 3 twice).
void set_targets(FormantLanes* l, const float cutoff[3], const float q[3]) {
    l->cutoff = _mm_setr_ps(cutoff[0], cutoff[1], cutoff[2], cutoff[2]);
    l->q = _mm_setr_ps(q[0], q[1], q[2], q[2]);
}

// svf_update_coeffs(force false) as block processing does it: the glide,
// then the coefficient pass on the glided values.
void update(FormantLanes* l) {
    __m128 cutoff_moves, q_moves;
    formant_lanes_glide(l, &cutoff_moves, &q_moves);
    CoefficientRows rows;
    coefficient_row_store(rows.cutoff_cur, 0, l->cutoff_cur);
    coefficient_row_store(rows.q_cur, 0, l->q_cur);
    const CoefficientRates rates = {_mm_cvtss_f32(l->t_k), _mm_cvtss_f32(l->prewarp_max)};
    wide_forms_sse2.coefficients(&rates, &rows, 1, false);
    // Lane 3 (filter 3 again) from lane 2.
    const auto row = [](const float* packed) {
        return _mm_setr_ps(packed[0], packed[1], packed[2], packed[2]);
    };
    l->t = row(rows.t);
    l->kf = row(rows.kf);
    l->k = row(rows.k);
    l->kbl = row(rows.kbl);
    l->hp1 = row(rows.hp1);
}

// The lanes of a prepared engine at sample rate fs.
FormantLanes engine_lanes(float fs) {
    WahEngine e;
    prepare_default_engine(&e, fs);
    FormantLanes l;
    formant_lanes_load(&l, &e);
    return l;
}

// 20000 glide steps with new ordinary targets between 219 Hz and highest
// every 50 samples; check sees the lanes after every step.
template <typename Check>
void glide_toward_random_targets(FormantLanes* l, float highest, uint32_t* s, Check check) {
    for (int i = 0; i < 20000; ++i) {
        if (i % 50 == 0) {
            float cut[4];
            for (int j = 0; j < 4; ++j) {
                *s = *s * 1664525u + 1013904223u;
                cut[j] = 219.0f + static_cast<float>(*s >> 8) * ((highest - 219.0f) / 16777216.0f);
            }
            l->cutoff = _mm_loadu_ps(cut);
            l->q = _mm_mul_ps(l->cutoff, _mm_set1_ps(0.01f));
        }
        formant_lanes_glide_ordinary(l);
        check(*l);
    }
}

} // namespace

TEST(FormantLanes, KernelsMatchTheScalarKernelsBitForBit) {
    std::vector<float> xs = {0.0f,   -0.0f,      -126.0f,    -126.5f,     -125.9f,    127.9f,
                             128.0f, 1e9f,       -1e9f,      INFINITY,    -INFINITY,  NAN,
                             -3.0f,  7.7813597f, 0.25f,      -0.25f,      1.0f,       -1.0f,
                             0.5f,   -0.5f,      8388607.5f, -8388607.5f, 8388608.0f, 3e9f,
                             -3e9f,  1e-30f,     -1e-30f,    0.99999994f};
    uint32_t s = 99u;
    for (int i = 0; i < 20000; ++i) {
        s = s * 1664525u + 1013904223u;
        const float mag = static_cast<float>(s >> 8) * (1.0f / 16777216.0f);
        xs.push_back((s & 1u ? -1.0f : 1.0f) * mag * static_cast<float>(1u << (s >> 28)));
    }
    for (float x : xs) {
        const WideF v = splat(x);
        ASSERT_EQ(lane_bits(wide_floor(v), 1), float_bits(fast_floor(x))) << x;
        ASSERT_EQ(lane_bits(sin2pi(v), 2), float_bits(fast_sin2pi(x))) << x;
        ASSERT_EQ(lane_bits(pow2(v), 3), float_bits(fast_pow2(x))) << x;
        const float ax = fabsf(x) + 1e-3f;
        ASSERT_EQ(lane_bits(rcp(splat(ax)), 0), float_bits(fast_rcp(ax))) << ax;
        // The short exponential wherever it is allowed: [0, 128).
        if (isfinite(x)) {
            const float in_range = fmodf(fabsf(x), 128.0f);
            ASSERT_EQ(lane_bits(pow2_in_range(splat(in_range)), 1), float_bits(fast_pow2(in_range)))
                << in_range;
        }
    }
}

// The tangent's pair of sines, from four times x: against the scalar
// kernel for every float in [1/8, 1/4) that keeps 0.25f + x below 1/2 (where
// the sum rounds most), one in 257 below that, and the smallest arguments.
TEST(FormantLanes, QuarterSinePairMatchesTheScalarSine) {
    const auto check = [](float x) {
        if (!(0.25f + x < 0.5f))
            return;
        WideF sine, cosine;
        sin2pi_quarter_pair(splat(x * 4.0f), &sine, &cosine);
        ASSERT_EQ(lane_bits(sine, 2), float_bits(fast_sin2pi(x))) << x;
        ASSERT_EQ(lane_bits(cosine, 1), float_bits(fast_sin2pi(0.25f + x))) << x;
    };
    for (float x : {0x1p-149f, 0x1p-126f, 0x1p-30f, 0x1p-26f, 0x1p-25f, 0x1.fffffep-3f})
        check(x);
    for (uint32_t b = float_bits(0x1p-30f); b < float_bits(0.125f); b += 257u)
        check(bits_float(b));
    for (uint32_t b = float_bits(0.125f); b < float_bits(0.25f); ++b)
        check(bits_float(b));
}

TEST(FormantLanes, FiltersMatchTheScalarFiltersWhileTargetsJump) {
    WahEngine scalar;
    prepare_default_engine(&scalar, 44100.0f);
    WahEngine lanes_engine = scalar;
    FormantLanes lanes;
    formant_lanes_load(&lanes, &lanes_engine);
    const std::vector<float> in = test_noise(6000, 0.5f);
    for (size_t i = 0; i < in.size(); ++i) {
        if (i % 700 == 0) {
            // A jump of every target, and now and then one that holds still.
            VowelPoint v = {static_cast<float>(i % 7) / 7.0f, static_cast<float>(i % 5) / 5.0f,
                            static_cast<float>(i % 3) / 3.0f, 0.2f, 0.9f};
            float cutoff[3], q[3];
            formant_values(&v, cutoff, q);
            if (i % 1400 == 0) {
                cutoff[1] = scalar.svf[1].cutoff;
                q[1] = scalar.svf[1].q;
            }
            for (int f = 0; f < 3; ++f) {
                scalar.svf[f].cutoff = cutoff[f];
                scalar.svf[f].q = q[f];
            }
            set_targets(&lanes, cutoff, q);
        }
        float bp[3];
        for (int f = 0; f < 3; ++f)
            svf_update_coeffs(&scalar.svf[f], false);
        for (int f = 0; f < 3; ++f)
            bp[f] = svf_process(&scalar.svf[f], &scalar.svf_state[f], in[i]);
        update(&lanes);
        const __m128 out = formant_lanes_process_at(&lanes, in[i], lanes.cutoff_cur);
        for (int f = 0; f < 3; ++f)
            ASSERT_EQ(lane_bits(out, f), float_bits(bp[f])) << i << " " << f;
    }
    formant_lanes_store(&lanes, &lanes_engine);
    EXPECT_EQ(memcmp(scalar.svf, lanes_engine.svf, sizeof scalar.svf), 0);
    EXPECT_EQ(memcmp(scalar.svf_state, lanes_engine.svf_state, sizeof scalar.svf_state), 0);
}

TEST(FormantLanes, ShortGlideMatchesTheHoldingGlideForOrdinaryTargets) {
    // Positive finite targets, with smoothed values far off, close by (the
    // snap) and exactly on them (no move): both glides give the same bits.
    uint32_t s = 5u;
    for (int i = 0; i < 20000; ++i) {
        FormantLanes a = {};
        a.a1u = _mm_set1_ps(0.9958f);
        a.sticky_sq = _mm_set1_ps(1e-6f);
        float cut[4], cur[4], q[4], q_cur[4];
        for (int j = 0; j < 4; ++j) {
            s = s * 1664525u + 1013904223u;
            cut[j] = 200.0f + static_cast<float>(s >> 20);
            q[j] = cut[j] * 0.01f;
            const uint32_t kind = (s >> 8) % 3;
            cur[j] = kind == 0 ? cut[j] : kind == 1 ? cut[j] * (1.0f + 1e-4f) : cut[j] * 0.5f;
            q_cur[j] = kind == 0 ? q[j] : q[j] + 0.5f;
        }
        a.cutoff = _mm_loadu_ps(cut);
        a.cutoff_cur = _mm_loadu_ps(cur);
        a.q = _mm_loadu_ps(q);
        a.q_cur = _mm_loadu_ps(q_cur);
        ASSERT_TRUE(formant_lanes_targets_ordinary(&a));
        FormantLanes b = a;
        __m128 cm, qm;
        formant_lanes_glide(&a, &cm, &qm);
        formant_lanes_glide_ordinary(&b);
        for (int j = 0; j < 4; ++j) {
            ASSERT_EQ(lane_bits(a.cutoff_cur, j), lane_bits(b.cutoff_cur, j)) << i;
            ASSERT_EQ(lane_bits(a.q_cur, j), lane_bits(b.q_cur, j)) << i;
        }
    }
    // Where they would differ, the check refuses: an infinite target reached
    // (the short step makes NaN of it), a zero of the other sign, a NaN
    // feedback.
    FormantLanes l = {};
    l.a1u = _mm_set1_ps(0.9958f);
    l.q = l.q_cur = _mm_set1_ps(1.0f);
    l.cutoff = l.cutoff_cur = _mm_setr_ps(1000.0f, 1000.0f, INFINITY, 1000.0f);
    EXPECT_FALSE(formant_lanes_targets_ordinary(&l));
    FormantLanes held = l, shortened = l;
    __m128 cm, qm;
    formant_lanes_glide(&held, &cm, &qm);
    formant_lanes_glide_ordinary(&shortened);
    EXPECT_NE(lane_bits(held.cutoff_cur, 2), lane_bits(shortened.cutoff_cur, 2));
    l.cutoff = _mm_setr_ps(1000.0f, -0.0f, 1000.0f, 1000.0f);
    l.cutoff_cur = _mm_setr_ps(1000.0f, 0.0f, 1000.0f, 1000.0f);
    EXPECT_FALSE(formant_lanes_targets_ordinary(&l));
    l.cutoff = l.cutoff_cur = _mm_set1_ps(1000.0f);
    EXPECT_TRUE(formant_lanes_targets_ordinary(&l));
    l.a1u = _mm_set1_ps(NAN);
    EXPECT_FALSE(formant_lanes_targets_ordinary(&l));
}

TEST(FormantLanes, SinesStayInTheLowerHalfWhereTheCheckSaysSo) {
    // Engine lanes at common rates pass the check; gliding from them toward
    // ordinary targets (at least 219 Hz) then keeps both sine arguments in
    // (0, 1/2), as the coefficient pass's short form assumes.
    uint32_t s = 11u;
    for (const float fs : {8000.0f, 44100.0f, 48000.0f, 96000.0f, 192000.0f}) {
        FormantLanes l = engine_lanes(fs);
        ASSERT_TRUE(formant_lanes_sines_in_lower_half(&l)) << fs;
        glide_toward_random_targets(&l, 26000.0f, &s, [fs](const FormantLanes& g) {
            for (int j = 0; j < 4; ++j) {
                const float cur = lane_of(g.cutoff_cur, j), limit = lane_of(g.prewarp_max, j);
                const float x = (lane_of(g.t_k, j) * (cur < limit ? cur : limit)) * 0x1.45f306p-3f;
                ASSERT_TRUE(x > 0.0f && x < 0.25f && 0.25f + x < 0.5f) << fs << " " << cur;
            }
        });
    }
}

TEST(FormantLanes, LowerHalfCheckRefusesWhatItCannotProve) {
    // One change at a time to lanes the check accepts, and whether it still
    // accepts them: the short sines need cutoffs and targets of at least
    // 1 Hz, a prewarp limit of at least 1 Hz, numbers, and a feedback in
    // [0, 1); cutoffs beyond the limit are fine (the limit applies).
    struct Case {
        const char* change;
        void (*apply)(FormantLanes*);
        bool accepted;
    };
    const Case cases[] = {
        {"cutoff under 1 Hz",
         [](FormantLanes* l) { l->cutoff_cur = _mm_setr_ps(1000.0f, 0.5f, 2000.0f, 2000.0f); },
         false},
        {"cutoff over the limit",
         [](FormantLanes* l) { l->cutoff_cur = _mm_setr_ps(1000.0f, 24000.0f, 2000.0f, 2000.0f); },
         true},
        {"cutoff not a number",
         [](FormantLanes* l) { l->cutoff_cur = _mm_setr_ps(1000.0f, NAN, 2000.0f, 2000.0f); },
         false},
        {"target under 1 Hz",
         [](FormantLanes* l) { l->cutoff = _mm_setr_ps(1000.0f, 1500.0f, 0.5f, 0.5f); }, false},
        {"target over the limit",
         [](FormantLanes* l) { l->cutoff = _mm_setr_ps(1000.0f, 1500.0f, 30000.0f, 30000.0f); },
         true},
        {"feedback of 1", [](FormantLanes* l) { l->a1u = _mm_set1_ps(1.0f); }, false},
        {"limit under 1 Hz", [](FormantLanes* l) { l->prewarp_max = _mm_set1_ps(0.499f); }, false},
        {"low limit", [](FormantLanes* l) { l->prewarp_max = _mm_set1_ps(3992.0f); }, true},
    };
    const FormantLanes good = engine_lanes(48000.0f);
    ASSERT_TRUE(formant_lanes_sines_in_lower_half(&good));
    for (const Case& c : cases) {
        FormantLanes l = good;
        c.apply(&l);
        EXPECT_EQ(formant_lanes_sines_in_lower_half(&l), c.accepted) << c.change;
    }
}
