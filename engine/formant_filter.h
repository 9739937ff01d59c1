// The vocal-tract filter's scalar steps: set-up, reset, and the glide with
// the coefficients that follow from it. Block processing runs the same
// steps on the three filters side by side (formant_lanes.h) and on many
// samples at once (formant_coefficients.h, wide_targets.h).
#pragma once
#include "engine/fast_math.h"
#include "engine/one_pole.h"
#include "engine/voice_model.h"
#include "engine/wah_engine.h"

// Construction values: 5 ms glide, 1000 Hz, Q 0.5. [any thread, engine not in use]
void svf_init(SvfCoeffs* c);
// Tangent scale, prewarp limit and smoother rate. [engine not processing]
void svf_set_sample_rate(SvfCoeffs* c, float fs);

// [audio thread] One glide step toward the targets and the coefficients that
// follow from it. A settled filter stops at the comparisons: no tangent, no
// reciprocal.
static inline void svf_update_coeffs(SvfCoeffs* c, bool force) {
    const bool cutoff_moves = force || c->cutoff != c->cutoff_cur;
    const bool q_moves = force || c->q != c->q_cur;
    if (!cutoff_moves && !q_moves)
        return;
    if (cutoff_moves) {
        c->cutoff_cur = one_pole_step_sticky_rel(&c->smoother, c->cutoff_cur, c->cutoff);
        const float fp = c->cutoff_cur < c->prewarp_max ? c->cutoff_cur : c->prewarp_max;
        const float x = (c->t_k * fp) * kTurnsPerRadian; // fp / fs
        // tan(pi fp / fs) as sin over cos; cos(2 pi x) = sin(2 pi (x + 1/4)).
        const float tangent = fast_sin2pi(x) * fast_rcp(fast_sin2pi(0.25f + x));
        c->t = fast_rcp(fp) * tangent;
        c->kf = c->cutoff_cur * c->t;
    }
    if (q_moves) {
        c->q_cur = one_pole_step_sticky_abs(&c->smoother, c->q_cur, c->q);
        c->k = fast_rcp(c->q_cur);
    }
    c->kbl = c->k + c->kf;
    c->hp1 = fast_rcp(c->kbl * c->kf + 1.0f);
}

// Jump to the targets, compute the coefficients, clear the memories.
// [engine not processing, or audio thread at a block start]
void svf_reset(SvfCoeffs* c, SvfState* s);
