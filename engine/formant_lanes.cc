#include "engine/formant_lanes.h"

#include <stddef.h>
#include <string.h>

namespace {

// Lane 3 mirrors filter 3 so that it only ever holds ordinary numbers.
__m128 gather(const WahEngine* e, size_t offset, bool state) {
    float v[3];
    for (uint32_t i = 0; i < kFormantCount; ++i) {
        const char* base = state ? reinterpret_cast<const char*>(&e->svf_state[i])
                                 : reinterpret_cast<const char*>(&e->svf[i]);
        memcpy(&v[i], base + offset, sizeof(float));
    }
    return _mm_setr_ps(v[0], v[1], v[2], v[2]);
}

void scatter(WahEngine* e, size_t offset, bool state, __m128 lanes) {
    float v[4];
    _mm_storeu_ps(v, lanes);
    for (uint32_t i = 0; i < kFormantCount; ++i) {
        char* base = state ? reinterpret_cast<char*>(&e->svf_state[i]) : reinterpret_cast<char*>(&e->svf[i]);
        memcpy(base + offset, &v[i], sizeof(float));
    }
}

#define COEFF(field) offsetof(SvfCoeffs, field), false
#define STATE(field) offsetof(SvfState, field), true

}  // namespace

void formant_lanes_load(FormantLanes* l, const WahEngine* e) {
    l->t_k = gather(e, COEFF(t_k));
    l->prewarp_max = gather(e, COEFF(prewarp_max));
    l->a1u = gather(e, COEFF(smoother.m_a1u));
    l->sticky_sq = gather(e, COEFF(smoother.sticky_thresh_sq));
    l->cutoff_cur = gather(e, COEFF(cutoff_cur));
    l->q_cur = gather(e, COEFF(q_cur));
    l->t = gather(e, COEFF(t));
    l->kf = gather(e, COEFF(kf));
    l->k = gather(e, COEFF(k));
    l->kbl = gather(e, COEFF(kbl));
    l->hp1 = gather(e, COEFF(hp1));
    l->cutoff = gather(e, COEFF(cutoff));
    l->q = gather(e, COEFF(q));
    l->hp_z1 = gather(e, STATE(hp_z1));
    l->lp_z1 = gather(e, STATE(lp_z1));
    l->bp_z1 = gather(e, STATE(bp_z1));
    l->cutoff_z1 = gather(e, STATE(cutoff_z1));
}

void formant_lanes_store(const FormantLanes* l, WahEngine* e) {
    scatter(e, COEFF(cutoff_cur), l->cutoff_cur);
    scatter(e, COEFF(q_cur), l->q_cur);
    scatter(e, COEFF(t), l->t);
    scatter(e, COEFF(kf), l->kf);
    scatter(e, COEFF(k), l->k);
    scatter(e, COEFF(kbl), l->kbl);
    scatter(e, COEFF(hp1), l->hp1);
    scatter(e, COEFF(cutoff), l->cutoff);
    scatter(e, COEFF(q), l->q);
    scatter(e, STATE(hp_z1), l->hp_z1);
    scatter(e, STATE(lp_z1), l->lp_z1);
    scatter(e, STATE(bp_z1), l->bp_z1);
    scatter(e, STATE(cutoff_z1), l->cutoff_z1);
}
