// The LFO's shape (skew, waveform, bias and gain) for four samples at once.
// Per lane the operations of lfo_skewed_phase, lfo_wave and lfo_step's last
// step, in their order; the settings are the same for the whole block, so
// only the per-sample choices become selects. [audio thread]
#pragma once
#include "engine/fast_math.h"
#include "engine/lanes_math.h"
#include "engine/wah_engine.h"

// Skewed phase b of phases u (see lfo_skewed_phase).
static inline __m128 lfo_lanes_skew(__m128 u, float k) {
    const __m128 kk = _mm_set1_ps(k + k);
    const __m128 rising = _mm_mul_ps(_mm_set1_ps(fast_rcp(k + k)), u);
    const __m128 falling = _mm_mul_ps(_mm_sub_ps(_mm_add_ps(u, _mm_set1_ps(1.0f)), kk),
                                      _mm_set1_ps(fast_rcp(2.0f - (k + k))));
    return lanes_select(_mm_cmplt_ps(u, _mm_set1_ps(k)), rising, falling);
}

// Waveform value at skewed phases b (see lfo_wave).
static inline __m128 lfo_lanes_wave(float wf, __m128 b, __m128 random_value) {
    const __m128 one = _mm_set1_ps(1.0f);
    if (wf < 2.0f) {
        const __m128 tri = _mm_add_ps(_mm_mul_ps(lanes_abs(_mm_sub_ps(b, _mm_set1_ps(0.5f))), _mm_set1_ps(-4.0f)), one);
        const __m128 sine = lanes_sin2pi(_mm_mul_ps(tri, _mm_set1_ps(0.25f)));
        return _mm_add_ps(_mm_mul_ps(_mm_sub_ps(tri, sine), _mm_set1_ps(wf - 1.0f)), sine);
    }
    if (wf < 0x1.7fdf3cp+1f) {  // 2.999
        const float g = fast_rcp(3.0f - wf) * 4.0f;
        const __m128 r = _mm_sub_ps(_mm_mul_ps(_mm_set1_ps(g), b), one);
        const __m128 down = _mm_sub_ps(_mm_set1_ps(g * 0.5f), r);
        __m128 v = lanes_select(_mm_cmplt_ps(b, _mm_set1_ps(0.5f)), r, down);
        v = _mm_max_ps(_mm_set1_ps(-1.0f), v);  // v < -1 gives -1
        return _mm_min_ps(one, v);               // v > 1 gives 1
    }
    const __m128 d = _mm_sub_ps(_mm_set1_ps(0.5f), b);
    const __m128 zero = _mm_setzero_ps();
    const __m128 negative = _mm_and_ps(_mm_cmpneq_ps(d, zero), _mm_castsi128_ps(_mm_srai_epi32(_mm_castps_si128(d), 31)));
    const __m128 sq = _mm_or_ps(_mm_and_ps(_mm_cmpgt_ps(d, zero), one), _mm_and_ps(negative, _mm_set1_ps(-1.0f)));
    const float w = wf - 3.0f;
    return _mm_add_ps(_mm_mul_ps(_mm_sub_ps(random_value, sq), _mm_set1_ps(w > 0.0f ? w : 0.0f)), sq);
}

// LFO contributions of four samples with phases u and random levels rv.
static inline __m128 lfo_lanes_contribution(const WahEngine* e, __m128 u, __m128 random_value) {
    const __m128 v = lfo_lanes_wave(e->lfo_waveform, lfo_lanes_skew(u, e->lfo_skew), random_value);
    return _mm_mul_ps(_mm_add_ps(v, _mm_set1_ps(e->lfo_bias)), _mm_set1_ps(e->lfo_on * e->lfo_gain));
}
