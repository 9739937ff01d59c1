// The three formant filters side by side in the lanes of one SSE register
// (lane 3 mirrors filter 3). Every lane performs exactly the operations of
// one filter's per-sample steps (the glide of svf_update_coeffs in
// formant_filter.h, the filter step and the wet sum), in the same order and
// rounding, so the bits are the same; only the three filters' independent
// work overlaps.
// Used for the duration of one block: loaded from the engine at the block
// start, stored back at its end. [audio thread]
#pragma once
#include <emmintrin.h>

#include "engine/voice_model.h"
#include "engine/wah_engine.h"

typedef struct FormantLanes {
    // Read-only during the block.
    __m128 t_k, prewarp_max, a1u, sticky_sq;
    // Coefficients and targets.
    __m128 cutoff_cur, q_cur, t, kf, k, kbl, hp1, cutoff, q;
    // Memories.
    __m128 hp_z1, lp_z1, bp_z1, cutoff_z1;
} FormantLanes;

void formant_lanes_load(FormantLanes* l, const WahEngine* e);
// Store the lanes back into the engine's three SvfCoeffs and SvfState.
void formant_lanes_store(const FormantLanes* l, WahEngine* e);

// svf_update_coeffs(force false) in each lane comes in two parts, so that a
// block can glide serially (cheap here) and compute the coefficients of many
// samples independently (the costly part, formant_coefficients.h).

// Whole lanes of yes where mask is set, of no elsewhere.
static inline __m128 lanes_select(__m128 mask, __m128 yes, __m128 no) {
    return _mm_or_ps(_mm_and_ps(mask, yes), _mm_andnot_ps(mask, no));
}

// Step 1: the glide of cutoff and Q; reports which lanes move. Branch-free:
// both steps are computed in every lane and kept only where the target
// differs, which is exactly the scalar form's choice.
static inline void formant_lanes_glide(FormantLanes* l, __m128* cutoff_moves, __m128* q_moves) {
    const __m128 cm = _mm_cmpneq_ps(l->cutoff, l->cutoff_cur);
    const __m128 qm = _mm_cmpneq_ps(l->q, l->q_cur);
    *cutoff_moves = cm;
    *q_moves = qm;
    // one_pole_step_sticky_rel
    __m128 y = _mm_add_ps(l->cutoff, _mm_mul_ps(_mm_sub_ps(l->cutoff_cur, l->cutoff), l->a1u));
    __m128 d = _mm_sub_ps(y, l->cutoff);
    const __m128 snap =
        _mm_cmple_ps(_mm_mul_ps(d, d), _mm_mul_ps(_mm_mul_ps(l->cutoff, l->sticky_sq), l->cutoff));
    y = lanes_select(snap, l->cutoff, y);
    l->cutoff_cur = lanes_select(cm, y, l->cutoff_cur);
    // one_pole_step_sticky_abs
    y = _mm_add_ps(l->q, _mm_mul_ps(_mm_sub_ps(l->q_cur, l->q), l->a1u));
    d = _mm_sub_ps(y, l->q);
    y = lanes_select(_mm_cmple_ps(_mm_mul_ps(d, d), l->sticky_sq), l->q, y);
    l->q_cur = lanes_select(qm, y, l->q_cur);
}

// Step 1 where every target is positive and finite and the feedback is
// finite: a lane whose smoothed value equals its target then steps to the
// target itself (0 times the feedback, plus the target; a distance of 0
// always snaps), so the unmoving lanes need no hold and the chain from one
// sample to the next is two operations shorter. Same bits as
// formant_lanes_glide under that condition.
static inline void formant_lanes_glide_ordinary(FormantLanes* l) {
    __m128 y = _mm_add_ps(l->cutoff, _mm_mul_ps(_mm_sub_ps(l->cutoff_cur, l->cutoff), l->a1u));
    __m128 d = _mm_sub_ps(y, l->cutoff);
    const __m128 snap =
        _mm_cmple_ps(_mm_mul_ps(d, d), _mm_mul_ps(_mm_mul_ps(l->cutoff, l->sticky_sq), l->cutoff));
    l->cutoff_cur = lanes_select(snap, l->cutoff, y);
    y = _mm_add_ps(l->q, _mm_mul_ps(_mm_sub_ps(l->q_cur, l->q), l->a1u));
    d = _mm_sub_ps(y, l->q);
    l->q_cur = lanes_select(_mm_cmple_ps(_mm_mul_ps(d, d), l->sticky_sq), l->q, y);
}

// Whether formant_lanes_glide_ordinary may stand in for formant_lanes_glide
// with the targets in force: they and the feedback are finite, the targets
// positive.
static inline bool formant_lanes_targets_ordinary(const FormantLanes* l) {
    const __m128 inf = _mm_set1_ps(__builtin_inff());
    const __m128 zero = _mm_setzero_ps();
    const __m128 ok =
        _mm_and_ps(_mm_and_ps(_mm_cmpgt_ps(l->cutoff, zero), _mm_cmplt_ps(l->cutoff, inf)),
                   _mm_and_ps(_mm_cmpgt_ps(l->q, zero), _mm_cmplt_ps(l->q, inf)));
    const __m128 a_finite = _mm_cmpeq_ps(_mm_sub_ps(l->a1u, l->a1u), zero);
    return _mm_movemask_ps(_mm_and_ps(ok, a_finite)) == 0xF;
}

// Lanes whose glide feedback lies in [0, 1): each step then keeps the
// smoothed value between its value before and the target.
static inline __m128 formant_lanes_glide_stays_between(const FormantLanes* l) {
    return _mm_and_ps(_mm_cmpge_ps(l->a1u, _mm_setzero_ps()),
                      _mm_cmplt_ps(l->a1u, _mm_set1_ps(1.0f)));
}

// Whether every tangent argument (the cutoff's share of the sample rate,
// (t_k * fp) / 2pi) stays in (0, 1/4) for the rest of a block whose targets
// are ordinary: the glide then keeps every smoothed cutoff between its value
// now and the targets (its feedback lies in [0, 1)), and here both are at
// least 1 Hz (the block's vowels give at least 219 Hz); the argument grows
// with fp, which ends at the prewarp limit. Then both sine arguments, x and
// x + 1/4, lie in (0, 1/2).
static inline bool formant_lanes_sines_in_lower_half(const FormantLanes* l) {
    const __m128 one = _mm_set1_ps(1.0f);
    const __m128 per_turn = _mm_set1_ps(kTurnsPerRadian);
    const __m128 lowest = _mm_mul_ps(_mm_mul_ps(l->t_k, one), per_turn);
    const __m128 highest_cos =
        _mm_add_ps(_mm_set1_ps(0.25f), _mm_mul_ps(_mm_mul_ps(l->t_k, l->prewarp_max), per_turn));
    const __m128 inf = _mm_set1_ps(__builtin_inff());
    __m128 ok = _mm_and_ps(_mm_cmpge_ps(l->cutoff_cur, one), _mm_cmplt_ps(l->cutoff_cur, inf));
    ok =
        _mm_and_ps(ok, _mm_and_ps(_mm_cmpge_ps(l->cutoff, one), _mm_cmpge_ps(l->prewarp_max, one)));
    ok = _mm_and_ps(ok, formant_lanes_glide_stays_between(l));
    ok = _mm_and_ps(ok, _mm_and_ps(_mm_cmpgt_ps(lowest, _mm_setzero_ps()),
                                   _mm_cmplt_ps(highest_cos, _mm_set1_ps(0.5f))));
    return _mm_movemask_ps(ok) == 0xF;
}

// The filter step in each lane, with the smoothed cutoff of this sample;
// returns the three band-pass outputs.
static inline __m128 formant_lanes_process_at(FormantLanes* l, float x, __m128 cutoff_cur) {
    const __m128 xv = _mm_set1_ps(x);
    const __m128 kk = _mm_mul_ps(l->t, l->cutoff_z1);
    const __m128 lp_x = _mm_add_ps(_mm_mul_ps(kk, l->bp_z1), l->lp_z1);
    const __m128 bp_x = _mm_add_ps(_mm_mul_ps(kk, l->hp_z1), l->bp_z1);
    const __m128 hp =
        _mm_mul_ps(_mm_sub_ps(_mm_sub_ps(xv, _mm_mul_ps(l->kbl, bp_x)), lp_x), l->hp1);
    const __m128 bp = _mm_add_ps(_mm_mul_ps(l->kf, hp), bp_x);
    const __m128 lp = _mm_add_ps(_mm_mul_ps(l->kf, bp), lp_x);
    l->hp_z1 = hp;
    l->lp_z1 = lp;
    l->bp_z1 = bp;
    l->cutoff_z1 = cutoff_cur;
    return bp;
}

// The wet sum of the three lanes: (bp1 + bp2 * w2) + bp3 * w3.
static inline float formant_lanes_wet_sum(__m128 bp) {
    const __m128 weighted = _mm_mul_ps(bp, _mm_setr_ps(0.0f, kWetWeight2, kWetWeight3, 0.0f));
    const __m128 sum12 =
        _mm_add_ss(bp, _mm_shuffle_ps(weighted, weighted, _MM_SHUFFLE(1, 1, 1, 1)));
    return _mm_cvtss_f32(_mm_add_ss(sum12, _mm_movehl_ps(weighted, weighted)));
}
