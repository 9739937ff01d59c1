// The body of the coefficient pass on vectors of WIDE_LANES lanes, that is
// WIDE_LANES / 4 rows at a time (rows lie next to each other in memory);
// included once by each build of it (formant_coefficients.cc,
// formant_coefficients_avx2.cc, formant_coefficients_avx512.cc), which sets
// WIDE_LANES (see wide_math.h). Every lane performs the operations of
// formant_lanes_candidates and formant_lanes_damping in their order.
#include "engine/formant_coefficients.h"
#include "engine/wide_math.h"

namespace {

constexpr int32_t kRowsPerVector = WIDE_LANES / 4;

WIDE_INLINE WideF rows_load(const __m128* rows) { return load(reinterpret_cast<const float*>(rows)); }
WIDE_INLINE void rows_store(__m128* rows, WideF v) { store(reinterpret_cast<float*>(rows), v); }

// An SSE register's four lanes repeated along the vector, one copy a row.
WIDE_INLINE WideF repeat_row(__m128 row) {
    float lanes[4];
    _mm_storeu_ps(lanes, row);
    WideF v;
    for (int i = 0; i < WIDE_LANES; ++i) v[i] = lanes[i % 4];
    return v;
}

// Rows j to j + kRowsPerVector - 1. Both sine forms give the same bits, so
// one test for all lanes is enough.
WIDE_INLINE void rows_coefficients(WideF t_k, WideF prewarp_max, CoefficientRows* r, int32_t j) {
    const WideF cutoff_cur = rows_load(&r->cutoff_cur[j]);
    const WideF fp = wide_min(cutoff_cur, prewarp_max);
    const WideF x = (t_k * fp) * splat(0x1.45f306p-3f);
    const WideF x_cos = splat(0.25f) + x;
    // Below the prewarp limit x stays under 1/4, so both arguments lie in
    // (0, 1) and need no fraction step.
    const WideI unit = (x > splat(0.0f)) & (x_cos < splat(1.0f));
    WideF tangent;
    if (!any_lane(~unit)) {
        tangent = sin2pi_unit(x) * rcp(sin2pi_unit(x_cos));
    } else {
        tangent = sin2pi(x) * rcp(sin2pi(x_cos));
    }
    const WideF t = rcp(fp) * tangent;
    const WideF kf = cutoff_cur * t;
    const WideF k = rcp(rows_load(&r->q_cur[j]));
    const WideF kbl = k + kf;
    rows_store(&r->t[j], t);
    rows_store(&r->kf[j], kf);
    rows_store(&r->k[j], k);
    rows_store(&r->kbl[j], kbl);
    rows_store(&r->hp1[j], rcp(kbl * kf + splat(1.0f)));
}

void coefficients_wide(const FormantLanes* l, CoefficientRows* r, int32_t m) {
    const WideF t_k = repeat_row(l->t_k);
    const WideF prewarp_max = repeat_row(l->prewarp_max);
    int32_t j = 0;
    for (; j + kRowsPerVector <= m; j += kRowsPerVector) rows_coefficients(t_k, prewarp_max, r, j);
    for (; j < m; ++j) formant_coefficients_row(l, r, j);  // the rows past the last whole vector
}

}  // namespace
