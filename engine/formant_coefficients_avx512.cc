// The coefficient pass four samples at a time: rows j to j + 3 fill one
// 64-byte line, so one 512-bit register holds the four samples' three
// filters. Compiled for AVX-512 F and DQ (float bit logic), never with FMA:
// every lane performs the SSE form's operations in its order.
#include "engine/formant_coefficients.h"

#include <immintrin.h>

namespace {

// The unmasked forms of these leave their pass-through operand undefined,
// which this compiler reports as uninitialised; the masked forms with every
// lane selected are the same instructions.
constexpr __mmask16 kAll = 0xFFFF;
inline __m512 wide_min(__m512 a, __m512 b) { return _mm512_mask_min_ps(a, kAll, a, b); }
inline __m512 wide_floor(__m512 x) {
    return _mm512_mask_roundscale_ps(x, kAll, x, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
}
inline __m512 wide_broadcast(__m128 v) { return _mm512_mask_broadcast_f32x4(_mm512_setzero_ps(), kAll, v); }

inline __m512 wide_rcp(__m512 x) {
    __m512 v = _mm512_castsi512_ps(_mm512_sub_epi32(_mm512_set1_epi32(0x7EF0E840), _mm512_castps_si512(x)));
    v = _mm512_sub_ps(_mm512_add_ps(v, v), _mm512_mul_ps(_mm512_mul_ps(x, v), v));
    v = _mm512_sub_ps(_mm512_add_ps(v, v), _mm512_mul_ps(_mm512_mul_ps(x, v), v));
    return v;
}

// lanes_sin2pi_unit: the sine after the fraction step.
inline __m512 wide_sin2pi_unit(__m512 xf) {
    const __m512 sign = _mm512_castsi512_ps(_mm512_set1_epi32(static_cast<int>(0x80000000u)));
    const __m512 one = _mm512_set1_ps(1.0f);
    const __m512 a = _mm512_sub_ps(_mm512_add_ps(xf, xf), one);
    const __m512 aa = _mm512_andnot_ps(sign, a);
    const __m512 fold = _mm512_andnot_ps(sign, _mm512_sub_ps(_mm512_add_ps(aa, aa), one));
    const __m512 theta =
        _mm512_add_ps(_mm512_mul_ps(fold, _mm512_set1_ps(-0x1.921fb6p+0f)), _mm512_set1_ps(0x1.921fb6p+0f));
    const __m512 poly =
        _mm512_add_ps(_mm512_mul_ps(theta, _mm512_set1_ps(-0x1.c5971ep-4f)), _mm512_set1_ps(-0x1.d619c8p-5f));
    const __m512 s = _mm512_add_ps(_mm512_mul_ps(poly, _mm512_mul_ps(theta, theta)), theta);
    return _mm512_xor_ps(s, _mm512_andnot_ps(a, sign));
}

// The exact floor (any exact floor gives fast_floor's results).
inline __m512 wide_sin2pi(__m512 x) {
    return wide_sin2pi_unit(_mm512_sub_ps(x, wide_floor(x)));
}

inline __m512 quad(const __m128* rows) { return _mm512_load_ps(reinterpret_cast<const float*>(rows)); }
inline void put(__m128* rows, __m512 v) { _mm512_store_ps(reinterpret_cast<float*>(rows), v); }

// formant_lanes_candidates and formant_lanes_damping on rows j to j + 3.
void quad_coefficients(__m512 t_k, __m512 prewarp_max, CoefficientRows* r, int32_t j) {
    const __m512 cutoff_cur = quad(&r->cutoff_cur[j]);
    const __m512 fp = wide_min(cutoff_cur, prewarp_max);
    const __m512 x = _mm512_mul_ps(_mm512_mul_ps(t_k, fp), _mm512_set1_ps(0x1.45f306p-3f));
    const __m512 x_cos = _mm512_add_ps(_mm512_set1_ps(0.25f), x);
    const __mmask16 unit = _mm512_cmp_ps_mask(x, _mm512_setzero_ps(), _CMP_GT_OQ) &
                           _mm512_cmp_ps_mask(x_cos, _mm512_set1_ps(1.0f), _CMP_LT_OQ);
    __m512 tangent;
    if (unit == 0xFFFF) {
        tangent = _mm512_mul_ps(wide_sin2pi_unit(x), wide_rcp(wide_sin2pi_unit(x_cos)));
    } else {
        tangent = _mm512_mul_ps(wide_sin2pi(x), wide_rcp(wide_sin2pi(x_cos)));
    }
    const __m512 t = _mm512_mul_ps(wide_rcp(fp), tangent);
    const __m512 kf = _mm512_mul_ps(cutoff_cur, t);
    const __m512 k = wide_rcp(quad(&r->q_cur[j]));
    const __m512 kbl = _mm512_add_ps(k, kf);
    put(&r->t[j], t);
    put(&r->kf[j], kf);
    put(&r->k[j], k);
    put(&r->kbl[j], kbl);
    put(&r->hp1[j], wide_rcp(_mm512_add_ps(_mm512_mul_ps(kbl, kf), _mm512_set1_ps(1.0f))));
}

void coefficients_avx512(const FormantLanes* l, CoefficientRows* r, int32_t m) {
    const __m512 t_k = wide_broadcast(l->t_k);
    const __m512 prewarp_max = wide_broadcast(l->prewarp_max);
    int32_t j = 0;
    for (; j + 3 < m; j += 4)
        quad_coefficients(t_k, prewarp_max, r, j);
    for (; j < m; ++j)
        formant_coefficients_row(l, r, j); // the rows past the last group of four
    _mm256_zeroupper();
}

} // namespace

const FormantCoefficientsFn formant_coefficients_avx512 = coefficients_avx512;
