// Every form of the coefficient pass (SSE2 always, AVX2 and AVX-512 where
// the build and the processor have them) against the scalar kernels, lane by
// lane, on every row.
#include <gtest/gtest.h>
#include <math.h>

#include <vector>

#include "engine/fast_math.h"
#include "engine/formant_coefficients.h"
#include "engine/wide_forms.h"
#include "engine_test_util.h"

namespace {

std::vector<FormantCoefficientsFn> forms() {
    int count = 0;
    const WideForms* sets = wide_forms_available(&count);
    std::vector<FormantCoefficientsFn> v;
    for (int i = 0; i < count; ++i)
        v.push_back(sets[i].coefficients);
    return v;
}

} // namespace

TEST(CoefficientForms, EveryFormMatchesTheScalarKernelsOnEveryRow) {
    // Cutoffs across and beyond the prewarp limit, including values whose
    // tangent argument leaves (0, 1) and needs the full sine kernel; with
    // lower_half set, only cutoffs of at least 1 Hz, as it requires. Row
    // counts that end inside a vector of every form.
    const float specials[] = {0.0f,    -0.0f,   -50.0f,  1e-3f, 20.0f,
                              3991.0f, 3992.0f, 5000.0f, 1e30f, 1000.0f};
    const float specials_from_1hz[] = {1.0f,    1.5f,  20.0f,   3991.0f, 3992.0f,
                                       5000.0f, 1e30f, 1000.0f, 1.0f,    2.0f};
    uint32_t s = 7u;
    for (FormantCoefficientsFn form : forms()) {
        for (const bool lower_half : {false, true}) {
            for (const float fs : {8000.0f, 44100.0f, 48000.0f, 96000.0f}) {
                const CoefficientRates rates = {3.14159265f / fs, 0.499f * fs};
                for (int32_t m : {64, 63, 33, 32, 31, 1, 2, 5, 17, 21, 48, 64, 32, 64}) {
                    CoefficientRows r;
                    for (int32_t i = 0; i < kCoefficientFloats; ++i) {
                        s = s * 1664525u + 1013904223u;
                        r.cutoff_cur[i] =
                            (s >> 28) < 3
                                ? (lower_half ? specials_from_1hz : specials)[(s >> 8) % 10]
                                : 1.0f + static_cast<float>(s >> 12) * (6000.0f / 1048576.0f);
                        r.q_cur[i] = 0.05f + static_cast<float>((s >> 4) & 1023u) * 0.05f;
                    }
                    // Floats past the rows must stay as they were.
                    for (int32_t i = 3 * m; i < kCoefficientFloats; ++i)
                        r.t[i] = r.hp1[i] = -7.0f;
                    form(&rates, &r, m, lower_half);
                    for (int32_t i = 3 * m; i < kCoefficientFloats; ++i) {
                        ASSERT_EQ(r.t[i], -7.0f) << m << " " << i;
                        ASSERT_EQ(r.hp1[i], -7.0f) << m << " " << i;
                    }
                    for (int32_t i = 0; i < 3 * m; ++i) {
                        const float cut = r.cutoff_cur[i];
                        const float fp = cut < 0.499f * fs ? cut : 0.499f * fs;
                        const float x = ((3.14159265f / fs) * fp) * 0x1.45f306p-3f;
                        const float t =
                            fast_rcp(fp) * (fast_sin2pi(x) * fast_rcp(fast_sin2pi(0.25f + x)));
                        const float kf = cut * t;
                        const float k = fast_rcp(r.q_cur[i]);
                        ASSERT_EQ(float_bits(r.t[i]), float_bits(t)) << cut;
                        ASSERT_EQ(float_bits(r.kf[i]), float_bits(kf)) << cut;
                        ASSERT_EQ(float_bits(r.k[i]), float_bits(k));
                        ASSERT_EQ(float_bits(r.kbl[i]), float_bits(k + kf));
                        ASSERT_EQ(float_bits(r.hp1[i]), float_bits(fast_rcp((k + kf) * kf + 1.0f)));
                    }
                }
            }
        }
    }
}
