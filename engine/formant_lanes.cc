#include "engine/formant_lanes.h"

// Lane 3 mirrors filter 3 so that it only ever holds ordinary numbers.
#define GATHER(array, field) _mm_setr_ps(e->array[0].field, e->array[1].field, e->array[2].field, e->array[2].field)

// Writes lanes 0..2 back to the three filters.
#define SCATTER(array, field, lanes)       \
    do {                                   \
        float v_[4];                       \
        _mm_storeu_ps(v_, lanes);          \
        e->array[0].field = v_[0];         \
        e->array[1].field = v_[1];         \
        e->array[2].field = v_[2];         \
    } while (0)

static_assert(kFormantCount == 3, "three filters in lanes 0..2");

void formant_lanes_load(FormantLanes* l, const WahEngine* e) {
    l->t_k = GATHER(svf, t_k);
    l->prewarp_max = GATHER(svf, prewarp_max);
    l->a1u = GATHER(svf, smoother.m_a1u);
    l->sticky_sq = GATHER(svf, smoother.sticky_thresh_sq);
    l->cutoff_cur = GATHER(svf, cutoff_cur);
    l->q_cur = GATHER(svf, q_cur);
    l->t = GATHER(svf, t);
    l->kf = GATHER(svf, kf);
    l->k = GATHER(svf, k);
    l->kbl = GATHER(svf, kbl);
    l->hp1 = GATHER(svf, hp1);
    l->cutoff = GATHER(svf, cutoff);
    l->q = GATHER(svf, q);
    l->hp_z1 = GATHER(svf_state, hp_z1);
    l->lp_z1 = GATHER(svf_state, lp_z1);
    l->bp_z1 = GATHER(svf_state, bp_z1);
    l->cutoff_z1 = GATHER(svf_state, cutoff_z1);
}

void formant_lanes_store(const FormantLanes* l, WahEngine* e) {
    SCATTER(svf, cutoff_cur, l->cutoff_cur);
    SCATTER(svf, q_cur, l->q_cur);
    SCATTER(svf, t, l->t);
    SCATTER(svf, kf, l->kf);
    SCATTER(svf, k, l->k);
    SCATTER(svf, kbl, l->kbl);
    SCATTER(svf, hp1, l->hp1);
    SCATTER(svf, cutoff, l->cutoff);
    SCATTER(svf, q, l->q);
    SCATTER(svf_state, hp_z1, l->hp_z1);
    SCATTER(svf_state, lp_z1, l->lp_z1);
    SCATTER(svf_state, bp_z1, l->bp_z1);
    SCATTER(svf_state, cutoff_z1, l->cutoff_z1);
}
