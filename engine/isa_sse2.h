// What the x86-64 baseline build (SSE2) has of its own: four lanes a
// register, and the vector steps that have no single SSE2 instruction.
// Included only by forms_sse2.cc (and tests of the generic kernels).
#pragma once
#define WIDE_LANES 4
#include "engine/wide_vector.h"

namespace {

// a < b ? a : b and a > b ? a : b, b where either is NaN.
WIDE_INLINE WideF wide_min(WideF a, WideF b) {
    return (WideF)_mm_min_ps((__m128)a, (__m128)b);
}
WIDE_INLINE WideF wide_max(WideF a, WideF b) {
    return (WideF)_mm_max_ps((__m128)a, (__m128)b);
}

// Whether any lane of a compare result is set.
WIDE_INLINE bool any_lane(WideI m) {
    return _mm_movemask_ps((__m128)m) != 0;
}

// fast_floor: truncation carrying the sign, then one down below it
// (data-dependent branches become selects).
WIDE_INLINE WideF wide_floor(WideF x) {
    const WideI sign = splat_i(static_cast<int32_t>(0x80000000u));
    const WideI small = wide_abs(x) < splat(8388608.0f);
    WideF t = from_bits(bits(to_float(truncate(from_bits(small & bits(x))))) | (bits(x) & sign));
    t = select(small, t, x);
    return select(x < t, t - splat(1.0f), t);
}

} // namespace

#include "engine/rows_transpose.h"
