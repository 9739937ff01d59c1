// What the AVX-512 build has of its own: sixteen lanes a register (one
// 64-byte line), 32 registers, masked minimum and maximum, a rounding
// instruction, and two-source permutes. Included only by forms_avx512.cc.
// No fused multiply-add: the bits must be those of SSE2.
#pragma once
#include <immintrin.h>
#define WIDE_LANES 16
#include "engine/wide_vector.h"

namespace {

// a < b ? a : b and a > b ? a : b, b where either is NaN. (The masked forms
// with every lane selected: this compiler reports the unmasked forms'
// undefined pass-through operand as uninitialised.)
WIDE_INLINE WideF wide_min(WideF a, WideF b) {
    return (WideF)_mm512_mask_min_ps((__m512)a, 0xFFFF, (__m512)a, (__m512)b);
}
WIDE_INLINE WideF wide_max(WideF a, WideF b) {
    return (WideF)_mm512_mask_max_ps((__m512)a, 0xFFFF, (__m512)a, (__m512)b);
}
WIDE_INLINE bool any_lane(WideI m) {
    return _mm512_movepi32_mask((__m512i)m) != 0;
}
// fast_floor in one rounding instruction (-0 stays -0; see isa_avx2.h).
WIDE_INLINE WideF wide_floor(WideF x) {
    return (WideF)_mm512_mask_roundscale_ps((__m512)x, 0xFFFF, (__m512)x,
                                            _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
}

// Sixteen samples' values of the three formants into one row per sample:
// two permutes per four rows, filters 1 and 2 of the four samples, then
// filter 3 into lanes 2 and 3.
WIDE_INLINE void to_rows(const WideF by_formant[3], __m128* rows) {
    const __m512 f1 = (__m512)by_formant[0], f2 = (__m512)by_formant[1], f3 = (__m512)by_formant[2];
    for (int g = 0; g < 4; ++g) {
        const int b = 4 * g;
        const __m512i pick12 = _mm512_setr_epi32(b, b + 16, 0, 0, b + 1, b + 17, 0, 0, b + 2,
                                                 b + 18, 0, 0, b + 3, b + 19, 0, 0);
        const __m512i pick3 = _mm512_setr_epi32(0, 1, b + 16, b + 16, 4, 5, b + 17, b + 17, 8, 9,
                                                b + 18, b + 18, 12, 13, b + 19, b + 19);
        const __m512 rows4 =
            _mm512_permutex2var_ps(_mm512_permutex2var_ps(f1, pick12, f2), pick3, f3);
        _mm512_storeu_ps(reinterpret_cast<float*>(&rows[b]), rows4);
    }
}

} // namespace
