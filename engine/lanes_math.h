// The fast kernels of fast_math.h on four lanes of an SSE register. Each
// lane performs exactly the scalar operations, in the same order and
// rounding, and data-dependent branches become selects, so every lane gives
// the scalar result bit for bit. SSE2 only (the x86-64 baseline).
// Pure functions; safe on any thread, made for the audio thread.
#pragma once
#include <emmintrin.h>

static inline __m128 lanes_select(__m128 mask, __m128 yes, __m128 no) {
    return _mm_or_ps(_mm_and_ps(mask, yes), _mm_andnot_ps(mask, no));
}

static inline __m128 lanes_sign_mask() { return _mm_castsi128_ps(_mm_set1_epi32(static_cast<int>(0x80000000u))); }

static inline __m128 lanes_abs(__m128 x) { return _mm_andnot_ps(lanes_sign_mask(), x); }

static inline __m128 lanes_floor(__m128 x) {
    const __m128 sign = _mm_castsi128_ps(_mm_set1_epi32(static_cast<int>(0x80000000u)));
    const __m128 ax = _mm_andnot_ps(sign, x);
    const __m128 small = _mm_cmplt_ps(ax, _mm_set1_ps(8388608.0f));
    // Truncation carrying the sign of x (so -0.5 truncates to -0.0).
    __m128 t = _mm_or_ps(_mm_cvtepi32_ps(_mm_cvttps_epi32(_mm_and_ps(small, x))), _mm_and_ps(x, sign));
    t = _mm_or_ps(_mm_and_ps(small, t), _mm_andnot_ps(small, x));
    const __m128 below = _mm_cmplt_ps(x, t);
    return _mm_or_ps(_mm_and_ps(below, _mm_sub_ps(t, _mm_set1_ps(1.0f))), _mm_andnot_ps(below, t));
}

static inline __m128 lanes_rcp(__m128 x) {
    __m128 v = _mm_castsi128_ps(_mm_sub_epi32(_mm_set1_epi32(0x7EF0E840), _mm_castps_si128(x)));
    v = _mm_sub_ps(_mm_add_ps(v, v), _mm_mul_ps(_mm_mul_ps(x, v), v));
    v = _mm_sub_ps(_mm_add_ps(v, v), _mm_mul_ps(_mm_mul_ps(x, v), v));
    return v;
}

// lanes_sin2pi for arguments known to lie in (0, 1): there the floor is
// +0 and x - 0 is x, so the fraction step drops out; the rest is the same.
static inline __m128 lanes_sin2pi_unit(__m128 xf) {
    const __m128 sign = _mm_castsi128_ps(_mm_set1_epi32(static_cast<int>(0x80000000u)));
    const __m128 half_pi = _mm_set1_ps(0x1.921fb6p+0f);
    const __m128 a = _mm_sub_ps(_mm_add_ps(xf, xf), _mm_set1_ps(1.0f));
    const __m128 aa = _mm_andnot_ps(sign, a);
    const __m128 fold = _mm_andnot_ps(sign, _mm_sub_ps(_mm_add_ps(aa, aa), _mm_set1_ps(1.0f)));
    const __m128 theta = _mm_add_ps(_mm_mul_ps(fold, _mm_set1_ps(-0x1.921fb6p+0f)), half_pi);
    const __m128 poly = _mm_add_ps(_mm_mul_ps(theta, _mm_set1_ps(-0x1.c5971ep-4f)), _mm_set1_ps(-0x1.d619c8p-5f));
    const __m128 s = _mm_add_ps(_mm_mul_ps(poly, _mm_mul_ps(theta, theta)), theta);
    return _mm_xor_ps(s, _mm_andnot_ps(a, sign));
}

static inline __m128 lanes_sin2pi(__m128 x) { return lanes_sin2pi_unit(_mm_sub_ps(x, lanes_floor(x))); }

// fast_pow2: 2^l times a cubic in the fraction; 0 below -126, +inf from 128.
static inline __m128 lanes_pow2(__m128 x) {
    const __m128 in_range = _mm_cmplt_ps(x, _mm_set1_ps(128.0f));
    const __m128 xs = _mm_and_ps(in_range, x);  // keep the conversion defined
    __m128i l = _mm_cvttps_epi32(xs);
    l = _mm_add_epi32(l, _mm_srai_epi32(_mm_castps_si128(xs), 31));  // minus 1 when the sign is set
    const __m128 f = _mm_sub_ps(xs, _mm_cvtepi32_ps(l));
    const __m128 v = _mm_castsi128_ps(_mm_slli_epi32(_mm_add_epi32(l, _mm_set1_epi32(127)), 23));
    const __m128 poly = _mm_add_ps(
        _mm_mul_ps(_mm_add_ps(_mm_mul_ps(f, _mm_set1_ps(0x1.45647ep-4f)), _mm_set1_ps(0x1.d1bd02p-3f)), f),
        _mm_set1_ps(0x1.62e430p-1f));
    __m128 r = _mm_add_ps(_mm_mul_ps(poly, _mm_mul_ps(f, v)), v);
    // Beyond the domain: +inf for large x, NaN stays NaN, 0 below -126.
    const __m128 big = _mm_andnot_ps(in_range, _mm_or_ps(_mm_and_ps(_mm_cmpord_ps(x, x), _mm_set1_ps(__builtin_inff())),
                                                         _mm_andnot_ps(_mm_cmpord_ps(x, x), x)));
    r = _mm_or_ps(_mm_and_ps(in_range, r), big);
    return _mm_andnot_ps(_mm_cmplt_ps(x, _mm_set1_ps(-126.0f)), r);
}
