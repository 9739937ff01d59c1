// Block processing: the block start here, then the chunk pipeline of the
// build this processor runs (wide_forms.h, block_driver.h): envelope, LFO,
// position, vowel morph, the three formant filters, wet/dry mix and bypass
// crossfade, with the bits of the per-sample order (the plain form lives on
// in the tests' reference).
#include "engine/formant_filter.h"
#include "engine/lfo.h"
#include "engine/wah_engine.h"
#include "engine/wide_forms.h"

namespace {

bool is_finite(float x) {
    return x - x == 0.0f;
}

// A non-finite input sample or parameter leaves NaN or infinity in the
// signal state, where the recursions would keep it forever. Each piece whose
// state is not finite is put back to its reset value here, at the block
// start, so the engine sounds again one block after everything is finite.
// Finite state is never touched, so finite input gives the same bits.
void recover_non_finite(WahEngine* e) {
    if (!is_finite(e->env_level))
        e->env_level = 0.0f;
    if (!is_finite(e->lfo_phase_acc))
        e->lfo_phase_acc = 0.0f;
    if (!is_finite(e->mix_state))
        e->mix_state = e->mix_target;
    if (!is_finite(e->bypass_state))
        e->bypass_state = e->bypass_target;
    for (uint32_t i = 0; i < kFormantCount; ++i) {
        SvfCoeffs* c = &e->svf[i];
        SvfState* s = &e->svf_state[i];
        const bool coeffs_ok = is_finite(c->cutoff) && is_finite(c->q) &&
                               is_finite(c->cutoff_cur) && is_finite(c->q_cur) && is_finite(c->t) &&
                               is_finite(c->kf) && is_finite(c->k) && is_finite(c->kbl) &&
                               is_finite(c->hp1);
        if (!coeffs_ok) {
            // The last targets are unusable too: glide in again from the
            // construction values, as after the first reset.
            c->cutoff = 1000.0f;
            c->q = 0.5f;
            svf_reset(c, s);
        } else if (!is_finite(s->hp_z1) || !is_finite(s->lp_z1) || !is_finite(s->bp_z1) ||
                   !is_finite(s->cutoff_z1)) {
            s->hp_z1 = 0.0f;
            s->lp_z1 = 0.0f;
            s->bp_z1 = 0.0f;
            s->cutoff_z1 = c->cutoff_cur;
        }
    }
}

void block_start(WahEngine* e) {
    recover_non_finite(e);
    lfo_resync(e);
    one_pole_update_coeffs(&e->env_coeffs);
    if (e->lfo_freq != e->lfo_freq_applied) {
        e->lfo_inc = e->sample_period * e->lfo_freq;
        e->lfo_freq_applied = e->lfo_freq;
    }
    one_pole_update_coeffs(&e->mix_coeffs);
    one_pole_update_coeffs(&e->bypass_coeffs);
}

} // namespace

// [audio thread]
void wah_engine_process(WahEngine* e, const float* input, float* output, int32_t n) {
    block_start(e);
    if (n <= 0)
        return;
    const WideForms* forms = wide_forms_active();
    forms->kernel(e, input, output, n, forms->coefficients, forms->targets);
}
