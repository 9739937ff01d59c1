// The coefficient pass two samples at a time: rows j and j + 1 lie next to
// each other in memory, so one 256-bit register holds both samples' three
// filters. Compiled for AVX2 (integer lanes for the reciprocal's seed), never
// with FMA: every lane performs the SSE form's operations in its order.
#include "engine/formant_coefficients.h"

#include <immintrin.h>

namespace {

inline __m256 wide_rcp(__m256 x) {
    __m256 v = _mm256_castsi256_ps(
        _mm256_sub_epi32(_mm256_set1_epi32(0x7EF0E840), _mm256_castps_si256(x)));
    v = _mm256_sub_ps(_mm256_add_ps(v, v), _mm256_mul_ps(_mm256_mul_ps(x, v), v));
    v = _mm256_sub_ps(_mm256_add_ps(v, v), _mm256_mul_ps(_mm256_mul_ps(x, v), v));
    return v;
}

// lanes_sin2pi_unit: the sine after the fraction step.
inline __m256 wide_sin2pi_unit(__m256 xf) {
    const __m256 sign = _mm256_castsi256_ps(_mm256_set1_epi32(static_cast<int>(0x80000000u)));
    const __m256 one = _mm256_set1_ps(1.0f);
    const __m256 a = _mm256_sub_ps(_mm256_add_ps(xf, xf), one);
    const __m256 aa = _mm256_andnot_ps(sign, a);
    const __m256 fold = _mm256_andnot_ps(sign, _mm256_sub_ps(_mm256_add_ps(aa, aa), one));
    const __m256 theta = _mm256_add_ps(_mm256_mul_ps(fold, _mm256_set1_ps(-0x1.921fb6p+0f)),
                                       _mm256_set1_ps(0x1.921fb6p+0f));
    const __m256 poly = _mm256_add_ps(_mm256_mul_ps(theta, _mm256_set1_ps(-0x1.c5971ep-4f)),
                                      _mm256_set1_ps(-0x1.d619c8p-5f));
    const __m256 s = _mm256_add_ps(_mm256_mul_ps(poly, _mm256_mul_ps(theta, theta)), theta);
    return _mm256_xor_ps(s, _mm256_andnot_ps(a, sign));
}

// The exact floor (any exact floor gives fast_floor's results).
inline __m256 wide_sin2pi(__m256 x) {
    return wide_sin2pi_unit(_mm256_sub_ps(x, _mm256_floor_ps(x)));
}

// Rows j and j + 1 as one register (rows are 16-byte aligned only).
inline __m256 pair(const __m128* rows) {
    return _mm256_loadu_ps(reinterpret_cast<const float*>(rows));
}
inline void put(__m128* rows, __m256 v) {
    _mm256_storeu_ps(reinterpret_cast<float*>(rows), v);
}

// formant_lanes_candidates and formant_lanes_damping on rows j and j + 1.
void pair_coefficients(__m256 t_k, __m256 prewarp_max, CoefficientRows* r, int32_t j) {
    const __m256 cutoff_cur = pair(&r->cutoff_cur[j]);
    const __m256 fp = _mm256_min_ps(cutoff_cur, prewarp_max);
    const __m256 x = _mm256_mul_ps(_mm256_mul_ps(t_k, fp), _mm256_set1_ps(0x1.45f306p-3f));
    const __m256 x_cos = _mm256_add_ps(_mm256_set1_ps(0.25f), x);
    const __m256 unit = _mm256_and_ps(_mm256_cmp_ps(x, _mm256_setzero_ps(), _CMP_GT_OQ),
                                      _mm256_cmp_ps(x_cos, _mm256_set1_ps(1.0f), _CMP_LT_OQ));
    __m256 tangent;
    if (_mm256_movemask_ps(unit) == 0xFF) {
        tangent = _mm256_mul_ps(wide_sin2pi_unit(x), wide_rcp(wide_sin2pi_unit(x_cos)));
    } else {
        tangent = _mm256_mul_ps(wide_sin2pi(x), wide_rcp(wide_sin2pi(x_cos)));
    }
    const __m256 t = _mm256_mul_ps(wide_rcp(fp), tangent);
    const __m256 kf = _mm256_mul_ps(cutoff_cur, t);
    const __m256 k = wide_rcp(pair(&r->q_cur[j]));
    const __m256 kbl = _mm256_add_ps(k, kf);
    put(&r->t[j], t);
    put(&r->kf[j], kf);
    put(&r->k[j], k);
    put(&r->kbl[j], kbl);
    put(&r->hp1[j], wide_rcp(_mm256_add_ps(_mm256_mul_ps(kbl, kf), _mm256_set1_ps(1.0f))));
}

void coefficients_avx2(const FormantLanes* l, CoefficientRows* r, int32_t m) {
    const __m256 t_k = _mm256_set_m128(l->t_k, l->t_k);
    const __m256 prewarp_max = _mm256_set_m128(l->prewarp_max, l->prewarp_max);
    int32_t j = 0;
    for (; j + 1 < m; j += 2)
        pair_coefficients(t_k, prewarp_max, r, j);
    if (j < m)
        formant_coefficients_row(l, r, j); // an odd last row
    _mm256_zeroupper();
}

} // namespace

const FormantCoefficientsFn formant_coefficients_avx2 = coefficients_avx2;
