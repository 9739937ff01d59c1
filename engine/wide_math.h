// The fast kernels of fast_math.h on generic vectors of WIDE_LANES lanes,
// for the bodies built once per instruction set (wide_targets_body.h,
// formant_coefficients_body.h); the including file sets WIDE_LANES to its
// register's width: 4 for the baseline, 8 for AVX2, 16 for AVX-512 (generic
// vectors wider than the registers would be split lane by lane). Each
// operation is the scalar kernel's in the same order; compares give
// all-ones lanes and selects take whole lanes, so every lane gives the
// scalar bits. Everything has internal linkage, so builds for different
// instruction sets never share code. [audio thread]
#pragma once
#include <emmintrin.h>
#if WIDE_LANES > 4
#include <immintrin.h>
#endif
#include <stdint.h>
#include <string.h>

// The vectors never cross a function boundary the compiler does not see
// (everything is internal and inlined), so the note that passing them would
// differ between instruction sets does not apply.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

namespace {

static_assert(WIDE_LANES % 4 == 0, "whole SSE registers in a vector");

typedef float WideF __attribute__((vector_size(4 * WIDE_LANES)));
typedef int32_t WideI __attribute__((vector_size(4 * WIDE_LANES)));
typedef uint32_t WideU __attribute__((vector_size(4 * WIDE_LANES)));

#define WIDE_INLINE inline __attribute__((always_inline))

WIDE_INLINE WideF splat(float x) {
    WideF v;
    for (int i = 0; i < WIDE_LANES; ++i)
        v[i] = x;
    return v;
}
WIDE_INLINE WideI splat_i(int32_t x) {
    WideI v;
    for (int i = 0; i < WIDE_LANES; ++i)
        v[i] = x;
    return v;
}
WIDE_INLINE WideF load(const float* p) {
    WideF v;
    memcpy(&v, p, sizeof v);
    return v;
}
WIDE_INLINE void store(float* p, WideF v) {
    memcpy(p, &v, sizeof v);
}
WIDE_INLINE WideI bits(WideF x) {
    return (WideI)x;
}
WIDE_INLINE WideF from_bits(WideI x) {
    return (WideF)x;
}
WIDE_INLINE WideF select(WideI mask, WideF yes, WideF no) {
    return from_bits((mask & bits(yes)) | (~mask & bits(no)));
}
WIDE_INLINE WideF wide_abs(WideF x) {
    return from_bits(bits(x) & splat_i(0x7FFFFFFF));
}

// The minimum and maximum instructions: a < b ? a : b and a > b ? a : b,
// b where either is NaN (one instruction, where the select takes two).
#if WIDE_LANES == 16
// (The masked forms with every lane selected: this compiler reports the
// unmasked forms' undefined pass-through operand as uninitialised.)
WIDE_INLINE WideF wide_min(WideF a, WideF b) {
    return (WideF)_mm512_mask_min_ps((__m512)a, 0xFFFF, (__m512)a, (__m512)b);
}
WIDE_INLINE WideF wide_max(WideF a, WideF b) {
    return (WideF)_mm512_mask_max_ps((__m512)a, 0xFFFF, (__m512)a, (__m512)b);
}
#elif WIDE_LANES == 8
WIDE_INLINE WideF wide_min(WideF a, WideF b) {
    return (WideF)_mm256_min_ps((__m256)a, (__m256)b);
}
WIDE_INLINE WideF wide_max(WideF a, WideF b) {
    return (WideF)_mm256_max_ps((__m256)a, (__m256)b);
}
#else
WIDE_INLINE WideF wide_min(WideF a, WideF b) {
    return (WideF)_mm_min_ps((__m128)a, (__m128)b);
}
WIDE_INLINE WideF wide_max(WideF a, WideF b) {
    return (WideF)_mm_max_ps((__m128)a, (__m128)b);
}
#endif

// Whether any lane of a compare result is set (its sign bit, all-ones lanes).
WIDE_INLINE bool any_lane(WideI m) {
#if WIDE_LANES == 16
    return _mm512_movepi32_mask((__m512i)m) != 0;
#elif WIDE_LANES == 8
    return _mm256_movemask_ps((__m256)m) != 0;
#else
    return _mm_movemask_ps((__m128)m) != 0;
#endif
}

// Truncation toward zero of values known to be in the int32 range.
WIDE_INLINE WideI truncate(WideF x) {
    return __builtin_convertvector(x, WideI);
}
WIDE_INLINE WideF to_float(WideI x) {
    return __builtin_convertvector(x, WideF);
}

// fast_floor. With AVX the rounding instruction gives the same exact floor
// in one step (-0 stays -0). A signaling NaN would come back quieted, but the
// floor only feeds x - floor(x), which is x's NaN, quieted, either way.
#if WIDE_LANES == 16
WIDE_INLINE WideF wide_floor(WideF x) {
    return (WideF)_mm512_mask_roundscale_ps((__m512)x, 0xFFFF, (__m512)x,
                                            _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
}
#elif WIDE_LANES == 8
WIDE_INLINE WideF wide_floor(WideF x) {
    return (WideF)_mm256_round_ps((__m256)x, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
}
#else
// Truncation carrying the sign, then one down below it (data-dependent
// branches become selects).
WIDE_INLINE WideF wide_floor(WideF x) {
    const WideI sign = splat_i(static_cast<int32_t>(0x80000000u));
    const WideI small = wide_abs(x) < splat(8388608.0f);
    WideF t = from_bits(bits(to_float(truncate(from_bits(small & bits(x))))) | (bits(x) & sign));
    t = select(small, t, x);
    return select(x < t, t - splat(1.0f), t);
}
#endif

// fast_sin2pi; sin2pi_unit for arguments known to lie in (0, 1), where the
// fraction step drops out, and sin2pi_quarter_pair for the pair of
// arguments in (0, 1/2) the tangent needs, where a is negative too, so the
// sign step keeps the cubic's value.
WIDE_INLINE WideF sin2pi_of_theta(WideF theta) {
    const WideF poly = theta * splat(-0x1.c5971ep-4f) + splat(-0x1.d619c8p-5f);
    return poly * (theta * theta) + theta;
}
WIDE_INLINE WideF sin2pi_cubic(WideF a) {
    const WideI sign = splat_i(static_cast<int32_t>(0x80000000u));
    const WideF one = splat(1.0f);
    const WideF aa = from_bits(~sign & bits(a));
    const WideF fold = from_bits(~sign & bits((aa + aa) - one));
    return sin2pi_of_theta(fold * splat(-0x1.921fb6p+0f) + splat(0x1.921fb6p+0f));
}

// fast_sin2pi(x) and fast_sin2pi(0.25f + x) for x in (0, 1/4) whose sum
// 0.25f + x stays below 1/2, given y = 4x (exact, a power of two): a sine in
// the first quarter of the turn and one in the second, where a is negative
// and the signs of the folds are known, so no absolute value is needed.
// - For a negative a, aa is -a and (aa + aa) - 1 is exactly
//   -((a + a) + 1) (rounding is symmetric): the fold is |v| with
//   v = (a + a) + 1, and theta = fold * -(pi/2) + pi/2.
// - Sine: a = (x + x) - 1 lies in [-1, -1/2], so v <= 0 and the fold is -v,
//   and -v * -(pi/2) is v * (pi/2) exactly. a + a is 4x - 2 rounded, that is
//   y - 2, and adding 1 to it is exact (a difference within a factor two).
// - Cosine: 0.25f + x lies in [1/4, 1/2), so a lies in [-1/2, 0) and v >= 0
//   is the fold. There (x + x) - 1 and a + a are exact, so v is four times
//   0.25f + x, less 1: (y + 1) rounded, then less 1 rounded.
WIDE_INLINE void sin2pi_quarter_pair(WideF y, WideF* sine, WideF* cosine) {
    const WideF half_pi = splat(0x1.921fb6p+0f);
    const WideF v_sine = (y - splat(2.0f)) + splat(1.0f);
    const WideF v_cosine = (y + splat(1.0f)) - splat(1.0f);
    *sine = sin2pi_of_theta(v_sine * half_pi + half_pi);
    *cosine = sin2pi_of_theta(v_cosine * splat(-0x1.921fb6p+0f) + half_pi);
}
WIDE_INLINE WideF sin2pi_unit(WideF xf) {
    const WideI sign = splat_i(static_cast<int32_t>(0x80000000u));
    const WideF a = (xf + xf) - splat(1.0f);
    return from_bits(bits(sin2pi_cubic(a)) ^ (~bits(a) & sign));
}
WIDE_INLINE WideF sin2pi(WideF x) {
    return sin2pi_unit(x - wide_floor(x));
}

// fast_rcp.
WIDE_INLINE WideF rcp(WideF x) {
    WideF v = from_bits((WideI)((WideU)splat_i(0x7EF0E840) - (WideU)bits(x)));
    v = (v + v) - (x * v) * v;
    v = (v + v) - (x * v) * v;
    return v;
}

// fast_pow2's steps 3 to 5: 2^l times the cubic in f = x - l.
WIDE_INLINE WideF pow2_of_parts(WideF x, WideI l) {
    const WideF f = x - to_float(l);
    const WideF v = from_bits((WideI)(((WideU)(l + splat_i(127))) << 23));
    const WideF poly =
        (f * splat(0x1.45647ep-4f) + splat(0x1.d1bd02p-3f)) * f + splat(0x1.62e430p-1f);
    return poly * (f * v) + v;
}

// fast_pow2 of x known to lie in [0, 128): the truncation is the floor and
// no lane leaves the domain, so the sign and domain steps drop out.
WIDE_INLINE WideF pow2_in_range(WideF x) {
    return pow2_of_parts(x, truncate(x));
}

// fast_pow2.
WIDE_INLINE WideF pow2(WideF x) {
    const WideI in_range = x < splat(128.0f);
    const WideF xs = from_bits(in_range & bits(x)); // keeps the conversion defined
    WideI l = truncate(xs);
    l = l + (bits(xs) >> 31); // minus 1 when the sign is set
    WideF r = pow2_of_parts(xs, l);
    // Beyond the domain: +inf for large x, NaN stays NaN, 0 below -126.
    const WideI ordered = x == x;
    const WideI big =
        ~in_range & ((ordered & bits(splat(__builtin_inff()))) | (~ordered & bits(x)));
    r = from_bits((in_range & bits(r)) | big);
    return from_bits(~(x < splat(-126.0f)) & bits(r));
}

} // namespace
