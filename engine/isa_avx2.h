// What the AVX2 build has of its own: eight lanes a register (VEX encoding:
// three-operand instructions, fewer register copies), and its minimum,
// maximum, sign mask and rounding instructions. Included only by
// forms_avx2.cc. No fused multiply-add: the bits must be those of SSE2.
#pragma once
#include <immintrin.h>
#define WIDE_LANES 8
#include "engine/wide_vector.h"

namespace {

WIDE_INLINE WideF wide_min(WideF a, WideF b) {
    return (WideF)_mm256_min_ps((__m256)a, (__m256)b);
}
WIDE_INLINE WideF wide_max(WideF a, WideF b) {
    return (WideF)_mm256_max_ps((__m256)a, (__m256)b);
}
WIDE_INLINE bool any_lane(WideI m) {
    return _mm256_movemask_ps((__m256)m) != 0;
}
// fast_floor in one rounding instruction (-0 stays -0). A signaling NaN
// comes back quieted, but the floor only feeds x - floor(x), which is x's
// NaN, quieted, either way.
WIDE_INLINE WideF wide_floor(WideF x) {
    return (WideF)_mm256_round_ps((__m256)x, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
}

} // namespace

#include "engine/rows_transpose.h"
