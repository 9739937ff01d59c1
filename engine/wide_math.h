// The fast kernels of fast_math.h on generic vectors (wide_vector.h), for
// the passes built once per instruction set; the build's own header
// (isa_*.h) comes first and gives the steps that differ between
// instruction sets (wide_min, wide_max, any_lane, wide_floor). Each
// operation is the scalar kernel's in the same order, with its constants,
// so every lane gives the scalar bits. [audio thread]
#pragma once
#include "engine/fast_math.h"
#include "engine/wide_vector.h"

namespace {

// fast_sin2pi (sin2pi_unit is its part after the fraction step), and
// sin2pi_quarter_pair for the pair of arguments in (0, 1/2) the tangent
// needs, where a is negative too, so the sign step keeps the cubic's value.
WIDE_INLINE WideF sin2pi_of_theta(WideF theta) {
    const WideF poly = theta * splat(kSinCubic3) + splat(kSinCubic2);
    return poly * (theta * theta) + theta;
}
WIDE_INLINE WideF sin2pi_cubic(WideF a) {
    const WideI sign = splat_i(static_cast<int32_t>(0x80000000u));
    const WideF one = splat(1.0f);
    const WideF aa = from_bits(~sign & bits(a));
    const WideF fold = from_bits(~sign & bits((aa + aa) - one));
    return sin2pi_of_theta(fold * splat(-kSinHalfPi) + splat(kSinHalfPi));
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
    const WideF half_pi = splat(kSinHalfPi);
    const WideF v_sine = (y - splat(2.0f)) + splat(1.0f);
    const WideF v_cosine = (y + splat(1.0f)) - splat(1.0f);
    *sine = sin2pi_of_theta(v_sine * half_pi + half_pi);
    *cosine = sin2pi_of_theta(v_cosine * splat(-kSinHalfPi) + half_pi);
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
    WideF v = from_bits((WideI)((WideU)splat_i(static_cast<int32_t>(kRcpSeed)) - (WideU)bits(x)));
    v = (v + v) - (x * v) * v;
    v = (v + v) - (x * v) * v;
    return v;
}

// fast_pow2's steps 3 to 5: 2^l times the cubic in f = x - l.
WIDE_INLINE WideF pow2_of_parts(WideF x, WideI l) {
    const WideF f = x - to_float(l);
    const WideF v = from_bits((WideI)(((WideU)(l + splat_i(127))) << 23));
    const WideF poly = (f * splat(kPow2Cubic3) + splat(kPow2Cubic2)) * f + splat(kPow2Cubic1);
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
