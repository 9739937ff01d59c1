// Pass 2 of block processing on generic vectors of the packed rows (three
// filters a sample, see formant_coefficients.h). Included once by each
// build's source (forms_*.cc), after the build's own header (isa_*.h).
#include "engine/formant_coefficients.h"
#include "engine/shortcuts.h"
#include "engine/voice_model.h"
#include "engine/wide_math.h"

namespace {

// The coefficients of the floats in cutoff_cur and q_cur: svf_update_coeffs's
// steps after the glide, in every lane.
// Both sine forms give the same bits, so one test for all lanes is enough.
struct RowValues {
    WideF t, kf, k, kbl, hp1;
};

WIDE_INLINE RowValues row_values(WideF t_k, WideF prewarp_max, WideF cutoff_cur, WideF q_cur,
                                 bool lower_half) {
    RowValues v;
    const WideF fp = wide_min(cutoff_cur, prewarp_max);
    const WideF t_k_fp = t_k * fp;
    WideF tangent;
    if (lower_half) {
        // Four times x, exactly: the constant times four is exact too.
        const WideF four_x = t_k_fp * splat(kFourTurnsPerRadian);
        WideF sine, cosine;
        sin2pi_quarter_pair(four_x, &sine, &cosine);
        tangent = sine * rcp(cosine);
    } else {
        const WideF x = t_k_fp * splat(kTurnsPerRadian);
        tangent = sin2pi(x) * rcp(sin2pi(splat(0.25f) + x));
    }
    v.t = rcp(fp) * tangent;
    v.kf = cutoff_cur * v.t;
    v.k = rcp(q_cur);
    v.kbl = v.k + v.kf;
    v.hp1 = rcp(v.kbl * v.kf + splat(1.0f));
    return v;
}

WIDE_INLINE void values_store(CoefficientRows* r, int32_t i, const RowValues* v) {
    store(&r->t[i], v->t);
    store(&r->kf[i], v->kf);
    store(&r->k[i], v->k);
    store(&r->kbl[i], v->kbl);
    store(&r->hp1[i], v->hp1);
}

// The floats from i to count - 1, fewer than a vector holds: the last real
// float stands in for the missing ones, and only the real ones are written.
WIDE_INLINE void partial_vector(WideF t_k, WideF prewarp_max, CoefficientRows* r, int32_t i,
                                int32_t count, bool lower_half) {
    float cutoff_cur[WIDE_LANES], q_cur[WIDE_LANES];
    for (int32_t n = 0; n < WIDE_LANES; ++n) {
        const int32_t at = i + n < count ? i + n : count - 1;
        cutoff_cur[n] = r->cutoff_cur[at];
        q_cur[n] = r->q_cur[at];
    }
    const RowValues v = row_values(t_k, prewarp_max, load(cutoff_cur), load(q_cur), lower_half);
    float out[5][WIDE_LANES];
    store(out[0], v.t);
    store(out[1], v.kf);
    store(out[2], v.k);
    store(out[3], v.kbl);
    store(out[4], v.hp1);
    for (int32_t n = 0; i + n < count; ++n) {
        r->t[i + n] = out[0][n];
        r->kf[i + n] = out[1][n];
        r->k[i + n] = out[2][n];
        r->kbl[i + n] = out[3][n];
        r->hp1[i + n] = out[4][n];
    }
}

// The loop built once for each case of lower_half, so it tests it never.
// Floats 0 to 3m - 1 are written, no others.
template <bool kLowerHalf>
void coefficient_rows(const CoefficientRates* rates, CoefficientRows* r, int32_t m) {
    const WideF t_k = splat(rates->t_k);
    const WideF prewarp_max = splat(rates->prewarp_max);
    const int32_t count = 3 * m;
    int32_t i = 0;
    for (; i + WIDE_LANES <= count; i += WIDE_LANES) {
        const RowValues v =
            row_values(t_k, prewarp_max, load(&r->cutoff_cur[i]), load(&r->q_cur[i]), kLowerHalf);
        values_store(r, i, &v);
    }
    if (i < count)
        partial_vector(t_k, prewarp_max, r, i, count, kLowerHalf);
}

void coefficients_wide(const CoefficientRates* rates, CoefficientRows* r, int32_t m,
                       bool lower_half) {
    if (lower_half) {
        coefficient_rows<true>(rates, r, m);
    } else {
        coefficient_rows<false>(rates, r, m);
    }
}

} // namespace
