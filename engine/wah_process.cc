// Block processing: envelope, LFO, position, vowel morph, the three formant
// filters, wet/dry mix and bypass crossfade, in the per-sample order of the
// sound's definition (the plain form lives on in the tests' reference).
#include <string.h>

#include "engine/envelope.h"
#include "engine/formant_coefficients.h"
#include "engine/formant_filter.h"
#include "engine/formant_lanes.h"
#include "engine/lfo.h"
#include "engine/lfo_lanes.h"
#include "engine/wah_engine.h"

// The per-sample steps must be inlined into the chunk loops: called out of
// line, they would take the filter lanes through memory every sample.
#define WAH_INLINE inline __attribute__((always_inline))

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

// A block is worked in chunks of this many samples, pass by pass, so that
// the work independent from sample to sample runs side by side:
//   1a modulator recursions (serial, short)
//   1b LFO shape, position, formant targets (four samples per register)
//   1c formant glide (serial, short)
//   2  filter coefficients of each sample (independent, the costly part;
//      none for a chunk that glides nowhere)
//   3  filter state, mix and bypass (serial)
// Pass 1c of a chunk runs in one loop with pass 3 of the chunk before; then
// pass 2 of the chunk, in the widest registers the processor has.
// Every value is computed by the same operations as in the plain per-sample
// order, so the bits do not depend on the chunking or the block size.
constexpr int32_t kChunk = 32;

struct Chunk {
    // Filter-independent values of each sample.
    alignas(16) float x[kChunk];
    alignas(16) float env[kChunk];    // envelope contribution
    alignas(16) float u[kChunk];      // LFO phase
    alignas(16) float level[kChunk];  // random level in force
    alignas(16) float lfo[kChunk];    // LFO contribution
    alignas(16) float p[kChunk];      // modulated position, 0..1
    // Formant targets, filters in lanes; not stored for groups whose targets
    // are the same as the sample before (see same_targets).
    __m128 cutoff[kChunk], q[kChunk];
    // Per group of four: the targets equal those of the sample before.
    bool same_targets[kChunk / 4];
    // The glide and the coefficients of each sample; not written for a
    // still chunk, whose samples all filter with still_cutoff_cur and the
    // coefficients in force.
    CoefficientRows rows;
    bool still;
    __m128 still_cutoff_cur;
};
static_assert(kCoefficientRows == kChunk, "one coefficient row per sample of a chunk");

// Pass 1a: the serial recursions of the modulators (envelope level, LFO
// phase, random level). Lanes past m are padded so pass 1b reads defined values.
void chunk_modulators(WahEngine* e, Chunk* c, const float* input, int32_t m) {
    for (int32_t j = 0; j < m; ++j) {
        c->x[j] = input[j];
        c->env[j] = env_step(e, c->x[j]);
        float inc;
        c->u[j] = lfo_advance(e, &inc);
        c->level[j] = e->random_value;
    }
    for (int32_t j = m; j < ((m + 3) & ~3); ++j) {
        c->env[j] = 0.0f;
        c->u[j] = 0.0f;
        c->level[j] = 0.0f;
    }
}

// The last position whose targets this block computed. Within a block the
// vowel settings are constant, so equal position bits give equal targets: a
// still pedal skips the morph and the exponentials, and a group of four
// such samples stores no targets at all (the glide keeps the ones it has).
struct LastTargets {
    uint32_t p_bits;  // kNoPosition until the first group
    // The block's LFO and vowel settings, ready for the lanes.
    LfoLanesShape shape;
    VowelLanes vowels;
    // The LFO's gain is zero: every contribution is a signed zero.
    bool lfo_silent;
};

// No p is NaN after the limits, so a NaN pattern means "none yet".
constexpr uint32_t kNoPosition = 0x7FC00000u;

bool same_position(__m128 p, uint32_t p_bits) {
    const __m128i eq = _mm_cmpeq_epi32(_mm_castps_si128(p), _mm_set1_epi32(static_cast<int>(p_bits)));
    return _mm_movemask_epi8(eq) == 0xFFFF;
}

// With a silent LFO and finite phases, each contribution is +0 or -0 (the
// wave plus the bias is finite), and adding a signed zero to the rest of the
// position changes nothing unless that is -0 (-0 + +0 = +0). Such groups
// skip the LFO shape.
bool lfo_adds_nothing(const LastTargets* last, __m128 rest, __m128 u) {
    if (!last->lfo_silent) return false;
    const __m128i minus_zero = _mm_cmpeq_epi32(_mm_castps_si128(rest), _mm_set1_epi32(static_cast<int>(0x80000000u)));
    const __m128 finite = _mm_cmpeq_ps(_mm_sub_ps(u, u), _mm_setzero_ps());
    return _mm_movemask_epi8(minus_zero) == 0 && _mm_movemask_ps(finite) == 0xF;
}

// Pass 1b: LFO shape, position and formant targets, four samples at a time.
// The LFO contributions are stored where the shape ran, and always for the
// group holding the block's last sample when block_end is set.
void chunk_targets(const WahEngine* e, Chunk* c, int32_t m, LastTargets* last, bool block_end) {
    const __m128 position = _mm_set1_ps(e->position);
    const LfoLanesShape* shape = &last->shape;
    for (int32_t j = 0; j < m; j += 4) {
        const __m128 u = _mm_load_ps(&c->u[j]);
        const __m128 rest = _mm_add_ps(position, _mm_load_ps(&c->env[j]));
        __m128 p = rest;
        if (!lfo_adds_nothing(last, rest, u) || (block_end && j + 4 >= m)) {
            const __m128 lfo = lfo_lanes_shape_contribution(shape, u, _mm_load_ps(&c->level[j]));
            _mm_store_ps(&c->lfo[j], lfo);
            p = _mm_add_ps(rest, lfo);
        }
        p = _mm_and_ps(_mm_cmpge_ps(p, _mm_setzero_ps()), p);  // below 0, and NaN, give the heel
        p = _mm_min_ps(_mm_set1_ps(1.0f), p);                  // above 1 gives 1
        _mm_store_ps(&c->p[j], p);
        const bool same = same_position(p, last->p_bits);
        c->same_targets[j / 4] = same;
        if (!same) {
            __m128 cutoff[3], q[3];
            formant_lanes_targets4_with(&last->vowels, p, cutoff, q);
            formant_lanes_per_sample(cutoff, &c->cutoff[j]);
            formant_lanes_per_sample(q, &c->q[j]);
            float lanes[4];
            _mm_storeu_ps(lanes, p);
            memcpy(&last->p_bits, &lanes[3], sizeof last->p_bits);
            // Only a group of four equal positions may be reused whole.
            if (!same_position(p, last->p_bits)) last->p_bits = kNoPosition;
        }
    }
}

// Pass 1c, one sample: the formant glide, serial but short.
WAH_INLINE void glide_sample(FormantLanes* l, Chunk* c, int32_t j) {
    if (!c->same_targets[j / 4]) {
        l->cutoff = c->cutoff[j];
        l->q = c->q[j];
    }
    __m128 cutoff_moves, q_moves;
    formant_lanes_glide(l, &cutoff_moves, &q_moves);
    c->rows.cutoff_cur[j] = l->cutoff_cur;
    c->rows.q_cur[j] = l->q_cur;
}

// The mix and bypass smoothers, in locals while a block runs.
struct Mixer {
    OnePoleCoeffs mix_coeffs, bypass_coeffs;
    float mix_target, bypass_target;
    float mix, bypass;
};

// Pass 3's end, one sample: mix and bypass of the filters' sum.
WAH_INLINE void mix_sample(Mixer* mx, float x, float wet, const float* input, float* output, int32_t j) {
    mx->mix = one_pole_step(&mx->mix_coeffs, mx->mix, mx->mix_target);
    const float y = (wet - x) * mx->mix + x;
    mx->bypass = one_pole_step(&mx->bypass_coeffs, mx->bypass, mx->bypass_target);
    // Read the input again: in place, output[j] may alias input[j].
    const float dry = input[j];
    output[j] = (y - dry) * mx->bypass + dry;
}

// Pass 3, one sample of a still chunk: the coefficients stay.
WAH_INLINE void render_still_sample(FormantLanes* l, Mixer* mx, const Chunk* c, int32_t j, const float* input,
                                    float* output) {
    const float x = c->x[j];
    mix_sample(mx, x, formant_lanes_wet_sum(formant_lanes_process_at(l, x, c->still_cutoff_cur)), input, output, j);
}

// Pass 3, one sample of a gliding chunk: its coefficients, filters, mix
// and bypass.
WAH_INLINE void render_sample(FormantLanes* l, Mixer* mx, const Chunk* c, int32_t j, const float* input,
                              float* output) {
    const float x = c->x[j];
    l->t = c->rows.t[j];
    l->kf = c->rows.kf[j];
    l->kbl = c->rows.kbl[j];
    l->hp1 = c->rows.hp1[j];
    mix_sample(mx, x, formant_lanes_wet_sum(formant_lanes_process_at(l, x, c->rows.cutoff_cur[j])), input, output, j);
}

// Whether the glide toward these targets moves nothing: every lane of the
// smoothed values already equals them (the glide's own test, negated).
bool lanes_settled(__m128 cutoff, __m128 q, const FormantLanes* l) {
    const __m128 eq = _mm_and_ps(_mm_cmpeq_ps(cutoff, l->cutoff_cur), _mm_cmpeq_ps(q, l->q_cur));
    return _mm_movemask_ps(eq) == 0xF;
}

// A chunk glides nowhere when the smoothed values already equal the
// targets in force and every group of four kept its targets or brought
// targets equal in every lane to the smoothed values (as after each block
// start, which forgets the last position): each of its samples would find
// nothing moving and keep the smoothed values. The glide would still take
// the new targets; so does this.
bool chunk_still(FormantLanes* l, const Chunk* c, int32_t m) {
    if (!lanes_settled(l->cutoff, l->q, l)) return false;
    int32_t last_new = -1;
    for (int32_t g = 0; g < m; g += 4) {
        if (c->same_targets[g / 4]) continue;
        const int32_t end = g + 4 < m ? g + 4 : m;
        for (int32_t j = g; j < end; ++j) {
            if (!lanes_settled(c->cutoff[j], c->q[j], l)) return false;
            last_new = j;
        }
    }
    if (last_new >= 0) {
        l->cutoff = c->cutoff[last_new];
        l->q = c->q[last_new];
    }
    return true;
}

// The loop of chunk_pipeline, for a gliding or still chunk now and a
// gliding or still chunk prev: a still chunk's samples need neither the
// glide nor coefficients of their own.
template <bool kGlide, bool kPrevStill>
WAH_INLINE void pipeline_loop(FormantLanes* l, Mixer* mx, Chunk* now, int32_t m_now, const Chunk* prev,
                              const float* input, float* output, int32_t m_prev) {
    // Without the glide the loop is the render's alone.
    const int32_t m = kGlide && m_now > m_prev ? m_now : m_prev;
    for (int32_t j = 0; j < m; ++j) {
        if (kGlide && j < m_now) glide_sample(l, now, j);
        if (j < m_prev) {
            if (kPrevStill) {
                render_still_sample(l, mx, prev, j, input, output);
            } else {
                render_sample(l, mx, prev, j, input, output);
            }
        }
    }
    // The coefficients in force after a gliding chunk: its last sample's.
    if (!kPrevStill && m_prev > 0) l->k = prev->rows.k[m_prev - 1];
}

// Pass 1c of one chunk together with pass 3 of the chunk before: the
// glide's and the filters' serial chains are independent of each other, so
// in one loop they overlap. Then pass 2 of the chunk.
// Either part may be absent (m = 0). The glide touches only the targets and
// smoothed values of the lanes, the filters only coefficients and memories.
// The states live in locals: the output array could alias the engine as far
// as the compiler knows, which would send every state through memory.
void chunk_pipeline(FormantCoefficientsFn coefficients, FormantLanes* lanes, Mixer* mixer, Chunk* now,
                    int32_t m_now, const Chunk* prev, const float* input, float* output, int32_t m_prev) {
    FormantLanes l = *lanes;
    Mixer mx = *mixer;
    const bool glide = m_now > 0 && !chunk_still(&l, now, m_now);
    if (m_now > 0) {
        now->still = !glide;
        now->still_cutoff_cur = l.cutoff_cur;
    }
    const bool prev_still = m_prev > 0 && prev->still;
    if (glide) {
        if (prev_still) {
            pipeline_loop<true, true>(&l, &mx, now, m_now, prev, input, output, m_prev);
        } else {
            pipeline_loop<true, false>(&l, &mx, now, m_now, prev, input, output, m_prev);
        }
    } else if (prev_still) {
        pipeline_loop<false, true>(&l, &mx, now, m_now, prev, input, output, m_prev);
    } else {
        pipeline_loop<false, false>(&l, &mx, now, m_now, prev, input, output, m_prev);
    }
    *lanes = l;  // the copy the call may see; l itself never escapes
    // Pass 2 on its own: it is wide work with no chain to overlap.
    if (glide) coefficients(lanes, &now->rows, m_now);
    *mixer = mx;
}

}  // namespace

// [audio thread]
void wah_engine_process(WahEngine* e, const float* input, float* output, int32_t n) {
    block_start(e);
    if (n <= 0) return;
    FormantLanes lanes;
    formant_lanes_load(&lanes, e);
    Mixer mixer = {e->mix_coeffs, e->bypass_coeffs, e->mix_target, e->bypass_target, e->mix_state, e->bypass_state};
    Chunk chunks[2];
    const FormantCoefficientsFn coefficients = formant_coefficients_active();
    LastTargets targets;
    targets.p_bits = kNoPosition;
    lfo_lanes_shape_init(&targets.shape, e);
    vowel_lanes_init(&targets.vowels, e);
    targets.lfo_silent = e->lfo_on * e->lfo_gain == 0.0f;
    // Chunk k is glided while chunk k - 1 is rendered; then the last one alone.
    int32_t m_prev = 0;
    int32_t base = 0;
    for (int k = 0; base < n; ++k, base += kChunk) {
        Chunk* now = &chunks[k & 1];
        const int32_t m = n - base < kChunk ? n - base : kChunk;
        chunk_modulators(e, now, input + base, m);
        chunk_targets(e, now, m, &targets, base + m == n);
        // The first chunk has none before it (and no pointer before the arrays).
        const int32_t prev_base = base > 0 ? base - kChunk : 0;
        chunk_pipeline(coefficients, &lanes, &mixer, now, m, &chunks[(k + 1) & 1], input + prev_base,
                       output + prev_base, m_prev);
        m_prev = m;
    }
    const int32_t last_base = base - kChunk;
    const Chunk* last = &chunks[(last_base / kChunk) & 1];
    chunk_pipeline(coefficients, &lanes, &mixer, nullptr, 0, last, input + last_base, output + last_base, m_prev);
    // The output values are those of the block's last sample.
    const int32_t j = m_prev - 1;
    e->mod_position = last->p[j] * 100.0f;
    e->lfo_phase = last->u[j];
    e->lfo_out = last->lfo[j];
    e->env_out = last->env[j];
    e->mix_state = mixer.mix;
    e->bypass_state = mixer.bypass;
    formant_lanes_store(&lanes, e);
}
