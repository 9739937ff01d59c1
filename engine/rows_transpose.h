// WIDE_LANES samples' values of the three formants into one row per sample
// (filters in lanes 0..2, filter 3 again in lane 3), by SSE transposes of
// four samples at a time. The baseline and AVX2 builds use this; AVX-512
// has permutes of its own (isa_avx512.h).
#pragma once
#include "engine/wide_vector.h"

namespace {

WIDE_INLINE void to_rows(const WideF by_formant[3], __m128* rows) {
    alignas(16) float lanes[3][WIDE_LANES];
    for (int f = 0; f < 3; ++f)
        store(lanes[f], by_formant[f]);
    for (int g = 0; g < WIDE_LANES; g += 4) {
        __m128 a = _mm_load_ps(&lanes[0][g]), b = _mm_load_ps(&lanes[1][g]),
               c = _mm_load_ps(&lanes[2][g]), d = c;
        _MM_TRANSPOSE4_PS(a, b, c, d);
        rows[g] = a;
        rows[g + 1] = b;
        rows[g + 2] = c;
        rows[g + 3] = d;
    }
}

} // namespace
