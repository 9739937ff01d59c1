// Every form of the wide targets pass against the per-sample LFO and
// formant kernels, lane by lane, over every waveform, skews, both mid
// settings and positions across the whole pedal.
#include <gtest/gtest.h>
#include <math.h>

#include "engine/formant_filter.h"
#include "engine/lfo.h"
#include "engine/wide_forms.h"
#include "engine/wide_targets.h"
#include "engine_test_util.h"
#include "scalar_kernels.h"

TEST(WideTargets, LfoShapeMatchesTheScalarFormInEveryForm) {
    int count = 0;
    const WideForms* sets = wide_forms_available(&count);
    WahEngine e;
    prepare_default_engine(&e, 48000.0f);
    const float waveforms[] = {1.0f, 1.3f, 2.0f, 2.5f, 2.9989f, 2.999f, 3.0f, 3.7f, 4.0f};
    const float skews[] = {-100.0f, -30.0f, 0.0f, 55.0f, 100.0f};
    for (int form = 0; form < count; ++form) {
        for (float wf : waveforms) {
            for (float skew : skews) {
                wah_engine_set_parameter(&e, kLfoWaveform, wf);
                wah_engine_set_parameter(&e, kLfoSkew, skew);
                wah_engine_set_parameter(&e, kLfoBias, skew * 0.5f);
                wah_engine_set_parameter(&e, kLfoOn, 1.0f);
                PositionSettings s;
                position_settings_init(&s, &e);
                for (int i = 0; i < 1024; i += kWideLanes) {
                    float u[kWideLanes], rv[kWideLanes], env[kWideLanes] = {}, lfo[kWideLanes],
                                                         p[kWideLanes];
                    for (int j = 0; j < kWideLanes; ++j) {
                        u[j] = static_cast<float>(i + j) / 1024.0f;
                        rv[j] = static_cast<float>(j % 4) * 0.5f - 0.9f;
                    }
                    if (i == 512)
                        u[0] = 0.5f; // exactly on the square's edge
                    sets[form].targets->positions(&s, u, rv, env, kWideLanes, false, lfo, p);
                    for (int j = 0; j < kWideLanes; ++j) {
                        const float v =
                            lfo_wave(e.lfo_waveform, lfo_skewed_phase(u[j], e.lfo_skew), rv[j]);
                        const float scalar = (v + e.lfo_bias) * (e.lfo_on * e.lfo_gain);
                        ASSERT_EQ(float_bits(lfo[j]), float_bits(scalar))
                            << form << " " << wf << " " << skew << " " << u[j];
                        const float unlimited = e.position + scalar;
                        const float limited =
                            unlimited >= 0.0f ? (unlimited > 1.0f ? 1.0f : unlimited) : 0.0f;
                        ASSERT_EQ(float_bits(p[j]), float_bits(limited)) << form << " " << u[j];
                    }
                }
            }
        }
    }
}

TEST(WideTargets, FormantTargetsMatchTheScalarFormInEveryForm) {
    int count = 0;
    const WideForms* sets = wide_forms_available(&count);
    WahEngine e;
    prepare_default_engine(&e, 48000.0f);
    for (int form = 0; form < count; ++form) {
        for (float mid_on : {0.0f, 1.0f}) {
            wah_engine_set_parameter(&e, kMidOn, mid_on);
            VowelSettings v;
            vowel_settings_init(&v, &e);
            EXPECT_TRUE(v.ordinary);
            for (int i = 0; i <= 1024; i += 2 * kWideLanes) {
                // Two blocks; only the second is asked for, so the first
                // rows must stay as they were.
                float p[2 * kWideLanes];
                for (int j = 0; j < 2 * kWideLanes; ++j)
                    p[j] = fminf(static_cast<float>(i + j) / 1024.0f, 1.0f);
                __m128 cutoff[2 * kWideLanes], q[2 * kWideLanes];
                for (int j = 0; j < kWideLanes; ++j)
                    cutoff[j] = q[j] = _mm_set1_ps(-1.0f);
                sets[form].targets->targets(&v, p, 2u, cutoff, q);
                for (int j = 0; j < 2 * kWideLanes; ++j) {
                    if (j < kWideLanes) {
                        ASSERT_EQ(lane_bits(cutoff[j], 0), float_bits(-1.0f));
                        continue;
                    }
                    const VowelPoint vp = vowel_morph(&e, p[j]);
                    float sc[3], sq[3];
                    formant_values(&vp, sc, sq);
                    for (int f = 0; f < 4; ++f) {
                        ASSERT_EQ(lane_bits(cutoff[j], f), float_bits(sc[f < 3 ? f : 2]))
                            << form << " " << p[j];
                        ASSERT_EQ(lane_bits(q[j], f), float_bits(sq[f < 3 ? f : 2]))
                            << form << " " << p[j];
                    }
                }
            }
        }
    }
}

// The targets pass reads positions in whole blocks of sixteen, so every
// form writes them that far for any m, from inputs padded that far.
TEST(WideTargets, PositionsFillWholeBlocksOfSixteen) {
    int count = 0;
    const WideForms* sets = wide_forms_available(&count);
    WahEngine e;
    prepare_default_engine(&e, 48000.0f);
    wah_engine_set_parameter(&e, kLfoOn, 1.0f);
    PositionSettings s;
    position_settings_init(&s, &e);
    float u[2 * kWideLanes], rv[2 * kWideLanes], env[2 * kWideLanes] = {};
    for (int j = 0; j < 2 * kWideLanes; ++j) {
        u[j] = static_cast<float>(j) / 64.0f;
        rv[j] = 0.25f;
    }
    const uint32_t kUnwritten = 0x7FC0BEEFu;
    for (int form = 0; form < count; ++form) {
        for (int32_t m : {1, 5, 16, 17, 31}) {
            float lfo[2 * kWideLanes], p[2 * kWideLanes];
            for (float& x : p)
                x = bits_float(kUnwritten);
            sets[form].targets->positions(&s, u, rv, env, m, true, lfo, p);
            const int32_t whole = (m + kWideLanes - 1) / kWideLanes * kWideLanes;
            for (int32_t j = 0; j < 2 * kWideLanes; ++j) {
                if (j < whole) {
                    ASSERT_NE(float_bits(p[j]), kUnwritten)
                        << "form " << form << " m " << m << " lane " << j;
                    ASSERT_TRUE(p[j] >= 0.0f && p[j] <= 1.0f)
                        << "form " << form << " m " << m << " lane " << j;
                } else {
                    ASSERT_EQ(float_bits(p[j]), kUnwritten)
                        << "form " << form << " m " << m << " lane " << j;
                }
            }
        }
    }
}
