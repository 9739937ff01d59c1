// The LFO's shape (skew, waveform, bias and gain) for four samples at once.
// Per lane the operations of lfo_skewed_phase, lfo_wave and lfo_step's last
// step, in their order; the settings are the same for the whole block, so
// only the per-sample choices become selects. [audio thread]
#pragma once
#include "engine/fast_math.h"
#include "engine/lanes_math.h"
#include "engine/wah_engine.h"

// The block's LFO settings as the lanes use them, computed once per block
// by the same scalar operations lfo_step performs every sample.
typedef struct LfoLanesShape {
    __m128 k, kk, rise, fall;  // skew: k, k + k, 1/(k + k), 1/(2 - (k + k))
    int form;                  // 0 sine to triangle, 1 to trapezoid, 2 square to random
    __m128 mix;                // form 0: wf - 1; form 1: g; form 2: max(wf - 3, 0)
    __m128 g_half;             // form 1: g * 0.5
    __m128 bias, gain;
} LfoLanesShape;

static inline void lfo_lanes_shape_init(LfoLanesShape* s, const WahEngine* e) {
    const float k = e->lfo_skew;
    const float wf = e->lfo_waveform;
    s->k = _mm_set1_ps(k);
    s->kk = _mm_set1_ps(k + k);
    s->rise = _mm_set1_ps(fast_rcp(k + k));
    s->fall = _mm_set1_ps(fast_rcp(2.0f - (k + k)));
    s->g_half = _mm_setzero_ps();
    if (wf < 2.0f) {
        s->form = 0;
        s->mix = _mm_set1_ps(wf - 1.0f);
    } else if (wf < 0x1.7fdf3cp+1f) {  // 2.999
        s->form = 1;
        const float g = fast_rcp(3.0f - wf) * 4.0f;
        s->mix = _mm_set1_ps(g);
        s->g_half = _mm_set1_ps(g * 0.5f);
    } else {
        s->form = 2;
        const float w = wf - 3.0f;
        s->mix = _mm_set1_ps(w > 0.0f ? w : 0.0f);
    }
    s->bias = _mm_set1_ps(e->lfo_bias);
    s->gain = _mm_set1_ps(e->lfo_on * e->lfo_gain);
}

// Skewed phase b of phases u (see lfo_skewed_phase).
static inline __m128 lfo_lanes_skew(const LfoLanesShape* s, __m128 u) {
    const __m128 rising = _mm_mul_ps(s->rise, u);
    const __m128 falling = _mm_mul_ps(_mm_sub_ps(_mm_add_ps(u, _mm_set1_ps(1.0f)), s->kk), s->fall);
    return lanes_select(_mm_cmplt_ps(u, s->k), rising, falling);
}

// Waveform value at skewed phases b (see lfo_wave).
static inline __m128 lfo_lanes_wave(const LfoLanesShape* s, __m128 b, __m128 random_value) {
    const __m128 one = _mm_set1_ps(1.0f);
    if (s->form == 0) {
        const __m128 tri = _mm_add_ps(_mm_mul_ps(lanes_abs(_mm_sub_ps(b, _mm_set1_ps(0.5f))), _mm_set1_ps(-4.0f)), one);
        const __m128 sine = lanes_sin2pi(_mm_mul_ps(tri, _mm_set1_ps(0.25f)));
        return _mm_add_ps(_mm_mul_ps(_mm_sub_ps(tri, sine), s->mix), sine);
    }
    if (s->form == 1) {
        const __m128 r = _mm_sub_ps(_mm_mul_ps(s->mix, b), one);
        const __m128 down = _mm_sub_ps(s->g_half, r);
        __m128 v = lanes_select(_mm_cmplt_ps(b, _mm_set1_ps(0.5f)), r, down);
        v = _mm_max_ps(_mm_set1_ps(-1.0f), v);  // v < -1 gives -1
        return _mm_min_ps(one, v);               // v > 1 gives 1
    }
    const __m128 d = _mm_sub_ps(_mm_set1_ps(0.5f), b);
    const __m128 zero = _mm_setzero_ps();
    const __m128 negative = _mm_and_ps(_mm_cmpneq_ps(d, zero), _mm_castsi128_ps(_mm_srai_epi32(_mm_castps_si128(d), 31)));
    const __m128 sq = _mm_or_ps(_mm_and_ps(_mm_cmpgt_ps(d, zero), one), _mm_and_ps(negative, _mm_set1_ps(-1.0f)));
    return _mm_add_ps(_mm_mul_ps(_mm_sub_ps(random_value, sq), s->mix), sq);
}

// LFO contributions of four samples with phases u and random levels rv.
static inline __m128 lfo_lanes_shape_contribution(const LfoLanesShape* s, __m128 u, __m128 random_value) {
    const __m128 v = lfo_lanes_wave(s, lfo_lanes_skew(s, u), random_value);
    return _mm_mul_ps(_mm_add_ps(v, s->bias), s->gain);
}

static inline __m128 lfo_lanes_contribution(const WahEngine* e, __m128 u, __m128 random_value) {
    LfoLanesShape s;
    lfo_lanes_shape_init(&s, e);
    return lfo_lanes_shape_contribution(&s, u, random_value);
}
