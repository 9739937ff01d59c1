#include "engine/formant_lanes.h"

static_assert(kFormantCount == 3, "three filters in lanes 0..2");

// The lanes a block carries from the engine and back: lane, engine array,
// field. (t_k, prewarp_max, a1u and sticky_sq are only read.)
#define FORMANT_LANES_CARRIED(X)                                                                   \
    X(cutoff_cur, svf, cutoff_cur)                                                                 \
    X(q_cur, svf, q_cur)                                                                           \
    X(t, svf, t)                                                                                   \
    X(kf, svf, kf)                                                                                 \
    X(k, svf, k)                                                                                   \
    X(kbl, svf, kbl)                                                                               \
    X(hp1, svf, hp1)                                                                               \
    X(cutoff, svf, cutoff)                                                                         \
    X(q, svf, q)                                                                                   \
    X(hp_z1, svf_state, hp_z1)                                                                     \
    X(lp_z1, svf_state, lp_z1)                                                                     \
    X(bp_z1, svf_state, bp_z1)                                                                     \
    X(cutoff_z1, svf_state, cutoff_z1)

// Lane 3 mirrors filter 3 so that it only ever holds ordinary numbers.
#define GATHER(array, field)                                                                       \
    _mm_setr_ps(e->array[0].field, e->array[1].field, e->array[2].field, e->array[2].field)
#define LOAD_LANE(lane, array, field) l->lane = GATHER(array, field);

// Writes lanes 0..2 back to the three filters.
#define STORE_LANE(lane, array, field)                                                             \
    do {                                                                                           \
        float v_[4];                                                                               \
        _mm_storeu_ps(v_, l->lane);                                                                \
        e->array[0].field = v_[0];                                                                 \
        e->array[1].field = v_[1];                                                                 \
        e->array[2].field = v_[2];                                                                 \
    } while (0);

void formant_lanes_load(FormantLanes* l, const WahEngine* e) {
    l->t_k = GATHER(svf, t_k);
    l->prewarp_max = GATHER(svf, prewarp_max);
    l->a1u = GATHER(svf, smoother.m_a1u);
    l->sticky_sq = GATHER(svf, smoother.sticky_thresh_sq);
    FORMANT_LANES_CARRIED(LOAD_LANE)
}

void formant_lanes_store(const FormantLanes* l, WahEngine* e) {
    FORMANT_LANES_CARRIED(STORE_LANE)
}
