// Pass 4 of block processing, from the band-pass rows of a rendered chunk:
// the wet sum (the same two products and two sums as formant_lanes_wet_sum),
// then mix and bypass, with the input read again just before the output is
// written (in place, output[j] may alias input[j]). Four samples at a time,
// the rows turned into a register per filter; the build's block header may
// take wider steps first (wide_output). Included by each build's source
// (forms_*.cc), after that header.
#pragma once
#include "engine/block_chunk.h"
#include "engine/voice_model.h"

namespace {

WAH_INLINE __m128 output_mix(__m128 wet, __m128 x, __m128 mix, __m128 bypass, __m128 dry) {
    const __m128 y = _mm_add_ps(_mm_mul_ps(_mm_sub_ps(wet, x), mix), x);
    return _mm_add_ps(_mm_mul_ps(_mm_sub_ps(y, dry), bypass), dry);
}

WAH_INLINE void output_four(const Chunk* c, int32_t j, __m128 mix, __m128 bypass,
                            const float* input, float* output) {
    // Lanes 0..2 of four rows turned into three registers of four samples.
    const __m128 r0 = c->bp[j], r1 = c->bp[j + 1], r2 = c->bp[j + 2], r3 = c->bp[j + 3];
    const __m128 low01 = _mm_unpacklo_ps(r0, r1), low23 = _mm_unpacklo_ps(r2, r3);
    const __m128 b1 = _mm_movelh_ps(low01, low23), b2 = _mm_movehl_ps(low23, low01);
    const __m128 b3 = _mm_movelh_ps(_mm_unpackhi_ps(r0, r1), _mm_unpackhi_ps(r2, r3));
    const __m128 wet = _mm_add_ps(_mm_add_ps(b1, _mm_mul_ps(b2, _mm_set1_ps(kWetWeight2))),
                                  _mm_mul_ps(b3, _mm_set1_ps(kWetWeight3)));
    const __m128 dry = _mm_loadu_ps(input + j);
    _mm_storeu_ps(output + j, output_mix(wet, _mm_loadu_ps(&c->x[j]), mix, bypass, dry));
}

void chunk_output(const Chunk* c, int32_t m, const MixerRun* mx, const float* input,
                  float* output) {
    // Resting smoothers keep their values for every sample.
    const bool moving = mx->moving;
    int32_t j = wide_output(c, m, mx, input, output);
    for (; j + 4 <= m; j += 4) {
        output_four(c, j, moving ? _mm_loadu_ps(&c->mix[j]) : _mm_set1_ps(mx->mix),
                    moving ? _mm_loadu_ps(&c->bypass[j]) : _mm_set1_ps(mx->bypass), input, output);
    }
    for (; j < m; ++j) {
        const float mix = moving ? c->mix[j] : mx->mix;
        const float bypass = moving ? c->bypass[j] : mx->bypass;
        const float x = c->x[j];
        const float y = (formant_lanes_wet_sum(c->bp[j]) - x) * mix + x;
        const float dry = input[j];
        output[j] = (y - dry) * bypass + dry;
    }
}

} // namespace
