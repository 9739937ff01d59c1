// Block processing: envelope, LFO, position, vowel morph, the three formant
// filters, wet/dry mix and bypass crossfade, in the per-sample order of the
// sound's definition (the plain form lives on in the tests' reference).
#include "engine/envelope.h"
#include "engine/formant_filter.h"
#include "engine/formant_lanes.h"
#include "engine/lfo.h"
#include "engine/wah_engine.h"

namespace {

bool is_finite(float x) { return x - x == 0.0f; }

// A non-finite input sample or parameter leaves NaN or infinity in the
// signal state, where the recursions would keep it forever. Each piece whose
// state is not finite is put back to its reset value here, at the block
// start, so the engine sounds again one block after everything is finite.
// Finite state is never touched, so finite input gives the same bits.
void recover_non_finite(WahEngine* e) {
    if (!is_finite(e->env_level)) e->env_level = 0.0f;
    if (!is_finite(e->lfo_phase_acc)) e->lfo_phase_acc = 0.0f;
    if (!is_finite(e->mix_state)) e->mix_state = e->mix_target;
    if (!is_finite(e->bypass_state)) e->bypass_state = e->bypass_target;
    for (uint32_t i = 0; i < kFormantCount; ++i) {
        SvfCoeffs* c = &e->svf[i];
        SvfState* s = &e->svf_state[i];
        const bool coeffs_ok = is_finite(c->cutoff) && is_finite(c->q) && is_finite(c->cutoff_cur) &&
                               is_finite(c->q_cur) && is_finite(c->t) && is_finite(c->kf) && is_finite(c->k) &&
                               is_finite(c->kbl) && is_finite(c->hp1);
        if (!coeffs_ok) {
            // The last targets are unusable too: glide in again from the
            // construction values, as after the first reset.
            c->cutoff = 1000.0f;
            c->q = 0.5f;
            svf_reset(c, s);
        } else if (!is_finite(s->hp_z1) || !is_finite(s->lp_z1) || !is_finite(s->bp_z1) || !is_finite(s->cutoff_z1)) {
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

// No p is ever NaN after the limits, so a NaN pattern means "none yet".
constexpr uint32_t kNoPosition = 0x7FC00000u;

// The filter-independent values of one sample: modulators, position and the
// formant targets. Nothing here reads the filters' memories, so a block can
// compute these ahead of the filters.
struct SampleControl {
    float env;    // envelope contribution
    float lfo;    // LFO contribution
    float phase;  // LFO phase u
    float p;      // modulated position, 0..1
};

// Within a block the vowel settings are constant, so the formant targets are
// a function of p alone: a still pedal (same p bits as the previous sample)
// keeps the targets it has. `last_p_bits` starts each block invalid.
inline SampleControl sample_control(WahEngine* e, FormantLanes* lanes, float x, uint32_t* last_p_bits) {
    SampleControl sc;
    sc.env = env_step(e, x);
    sc.lfo = lfo_step(e, &sc.phase);
    float p = (e->position + sc.env) + sc.lfo;
    if (!(p >= 0.0f)) p = 0.0f;  // below 0, and NaN, give the heel
    if (p > 1.0f) p = 1.0f;
    sc.p = p;
    const uint32_t p_bits = fast_bits(p);
    if (p_bits != *last_p_bits) {
        *last_p_bits = p_bits;
        const VowelPoint v = vowel_morph(e, p);
        float cutoff[3], q[3];
        formant_values(&v, cutoff, q);
        formant_lanes_targets(lanes, cutoff, q);
    }
    return sc;
}

// A block is worked in chunks of this many samples, in three passes: the
// filter-independent values and the formant glide (serial but short), the
// filter coefficients (independent per sample, the costly part), then the
// filters' state, mix and bypass (serial).
constexpr int32_t kChunk = 32;

struct Chunk {
    float x[kChunk];
    int moving[kChunk];  // any lane's cutoff or Q moved
    __m128 cutoff_moves[kChunk], q_moves[kChunk];
    __m128 cutoff_cur[kChunk], q_cur[kChunk];
    __m128 t[kChunk], kf[kChunk], k[kChunk];
};

// Pass 1: modulators, position, targets and glide of m samples.
SampleControl chunk_control(WahEngine* e, FormantLanes* lanes, Chunk* c, const float* input, int32_t m,
                            uint32_t* last_p_bits) {
    SampleControl sc{};
    for (int32_t j = 0; j < m; ++j) {
        c->x[j] = input[j];
        sc = sample_control(e, lanes, c->x[j], last_p_bits);
        formant_lanes_glide(lanes, &c->cutoff_moves[j], &c->q_moves[j]);
        c->moving[j] = _mm_movemask_ps(_mm_or_ps(c->cutoff_moves[j], c->q_moves[j]));
        c->cutoff_cur[j] = lanes->cutoff_cur;
        c->q_cur[j] = lanes->q_cur;
    }
    return sc;
}

// Pass 2: the coefficients of every sample whose formants moved.
void chunk_coefficients(const FormantLanes* lanes, Chunk* c, int32_t m) {
    for (int32_t j = 0; j < m; ++j) {
        if (c->moving[j]) formant_lanes_candidates(lanes, c->cutoff_cur[j], c->q_cur[j], &c->t[j], &c->kf[j], &c->k[j]);
    }
}

// Pass 3: filters, mix and bypass, sample by sample.
void chunk_render(WahEngine* e, FormantLanes* lanes, const Chunk* c, const float* input, float* output, int32_t m) {
    for (int32_t j = 0; j < m; ++j) {
        const float x = c->x[j];
        if (c->moving[j]) formant_lanes_take(lanes, c->cutoff_moves[j], c->q_moves[j], c->t[j], c->kf[j], c->k[j]);
        float bp[4];
        _mm_storeu_ps(bp, formant_lanes_process_at(lanes, x, c->cutoff_cur[j]));
        const float wet = formant_wet_sum(bp[0], bp[1], bp[2]);
        e->mix_state = one_pole_step(&e->mix_coeffs, e->mix_state, e->mix_target);
        const float y = (wet - x) * e->mix_state + x;
        e->bypass_state = one_pole_step(&e->bypass_coeffs, e->bypass_state, e->bypass_target);
        // Read the input again: in place, output[j] may alias input[j].
        const float dry = input[j];
        output[j] = (y - dry) * e->bypass_state + dry;
    }
}

}  // namespace

// [audio thread]
void wah_engine_process(WahEngine* e, const float* input, float* output, int32_t n) {
    block_start(e);
    if (n <= 0) return;
    FormantLanes lanes;
    formant_lanes_load(&lanes, e);
    uint32_t last_p_bits = kNoPosition;
    Chunk c;
    SampleControl last{};
    for (int32_t base = 0; base < n; base += kChunk) {
        const int32_t m = n - base < kChunk ? n - base : kChunk;
        last = chunk_control(e, &lanes, &c, input + base, m, &last_p_bits);
        chunk_coefficients(&lanes, &c, m);
        chunk_render(e, &lanes, &c, input + base, output + base, m);
    }
    // The output values are those of the block's last sample.
    e->mod_position = last.p * 100.0f;
    e->lfo_phase = last.phase;
    e->lfo_out = last.lfo;
    e->env_out = last.env;
    formant_lanes_store(&lanes, e);
}
