// The block-processing steps only the AVX-512 build has: pass 4 sixteen
// samples at a time (and block_still_ahead.h). Included only by
// forms_avx512.cc.
#pragma once
#include <immintrin.h>

#include "engine/block_chunk.h"
#include "engine/shortcuts.h"
#include "engine/voice_model.h"

namespace {

// Four registers of four rows, permuted into one register per filter.
WAH_INLINE void output_sixteen(const Chunk* c, int32_t j, __m512 mix, __m512 bypass,
                               const float* input, float* output) {
    const float* rows = reinterpret_cast<const float*>(&c->bp[j]);
    const __m512 r0 = _mm512_loadu_ps(rows), r1 = _mm512_loadu_ps(rows + 16);
    const __m512 r2 = _mm512_loadu_ps(rows + 32), r3 = _mm512_loadu_ps(rows + 48);
    // Lanes 0..7 filter 1, 8..15 filter 2, of eight rows; then filter 3.
    const __m512i pick12 =
        _mm512_setr_epi32(0, 4, 8, 12, 16, 20, 24, 28, 1, 5, 9, 13, 17, 21, 25, 29);
    const __m512i pick3 =
        _mm512_setr_epi32(2, 6, 10, 14, 18, 22, 26, 30, 2, 6, 10, 14, 18, 22, 26, 30);
    const __m512i low = _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 16, 17, 18, 19, 20, 21, 22, 23);
    const __m512i high =
        _mm512_setr_epi32(8, 9, 10, 11, 12, 13, 14, 15, 24, 25, 26, 27, 28, 29, 30, 31);
    const __m512 f12a = _mm512_permutex2var_ps(r0, pick12, r1),
                 f12b = _mm512_permutex2var_ps(r2, pick12, r3);
    const __m512 f3a = _mm512_permutex2var_ps(r0, pick3, r1),
                 f3b = _mm512_permutex2var_ps(r2, pick3, r3);
    const __m512 b1 = _mm512_permutex2var_ps(f12a, low, f12b);
    const __m512 b2 = _mm512_permutex2var_ps(f12a, high, f12b);
    const __m512 b3 = _mm512_permutex2var_ps(f3a, low, f3b);
    const __m512 wet =
        _mm512_add_ps(_mm512_add_ps(b1, _mm512_mul_ps(b2, _mm512_set1_ps(kWetWeight2))),
                      _mm512_mul_ps(b3, _mm512_set1_ps(kWetWeight3)));
    const __m512 x = _mm512_loadu_ps(&c->x[j]);
    const __m512 dry = _mm512_loadu_ps(input + j);
    const __m512 y = _mm512_add_ps(_mm512_mul_ps(_mm512_sub_ps(wet, x), mix), x);
    _mm512_storeu_ps(output + j, _mm512_add_ps(_mm512_mul_ps(_mm512_sub_ps(y, dry), bypass), dry));
}

// Pass 4 of a chunk's whole groups of sixteen; returns the samples written.
WAH_INLINE int32_t wide_output(const Chunk* c, int32_t m, const MixerRun* mx, const float* input,
                               float* output) {
    const bool moving = mx->moving;
    int32_t j = 0;
    if (!shortcut_on(kShortcutWideOutput))
        return j;
    for (; j + 16 <= m; j += 16) {
        output_sixteen(c, j, moving ? _mm512_loadu_ps(&c->mix[j]) : _mm512_set1_ps(mx->mix),
                       moving ? _mm512_loadu_ps(&c->bypass[j]) : _mm512_set1_ps(mx->bypass), input,
                       output);
    }
    return j;
}

} // namespace
