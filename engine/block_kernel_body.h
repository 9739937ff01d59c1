// The body of block processing after the block start (wah_process.cc),
// included once by each build of it (block_kernel.cc, block_kernel_avx2.cc,
// block_kernel_avx512.cc), which names the kernel through BLOCK_KERNEL_NAME.
// Everything here has internal linkage, so the builds never share code
// compiled for another's instructions.
#include <stddef.h>
#include <string.h>
#ifdef __AVX512F__
#include <immintrin.h>
#endif

#include "engine/block_kernel.h"
#include "engine/envelope.h"
#include "engine/formant_filter.h"
#include "engine/formant_lanes.h"
#include "engine/lfo.h"

// The per-sample steps must be inlined into the chunk loops: called out of
// line, they would take the filter lanes through memory every sample.
#define WAH_INLINE inline __attribute__((always_inline))

namespace {

// A block is worked in chunks of this many samples, pass by pass, so that
// the work independent from sample to sample runs side by side:
//   1a modulator recursions, and the mix and bypass smoothers when they
//      move (serial, short)
//   1b LFO shape, position, formant targets (four samples per register)
//   1c formant glide (serial, short)
//   2  filter coefficients of each sample (independent, the costly part;
//      none for a chunk that glides nowhere)
//   3  filter state (serial); only the band-pass outputs leave the loop
//   4  wet sum, mix and bypass of each sample (independent)
// The three serial passes of three chunks in a row share one loop: pass 1a
// of chunk k + 1, 1c of chunk k and 3 of chunk k - 1. Their chains are
// independent of each other, so in one loop they overlap. Passes 1b, 2 and
// 4 run on their own, in the widest registers the processor has; taking
// pass 4 out of the loop leaves the filters' chain fewer operations to wait
// behind.
// Where the block's positions do not depend on its input (see
// positions_free_of_input), pass 1a is the LFO alone and the envelope steps
// with pass 3, sample by sample with the filters; the block can then also
// compute the next block's first steps in its last ones (see block_lead.h).
// Such a block works in chunks of kLeadChunk samples where it holds two of
// them: with no pipeline to fill at its start, longer chunks pay, as the
// passes are entered half as often. Every other block works in chunks of
// kChunk, which fill sooner.
// Every value is computed by the same operations as in the plain per-sample
// order, so the bits do not depend on the chunking or the block size.
constexpr int32_t kChunk = 32;
constexpr int32_t kMaxChunk = kLeadChunk;
static_assert(kChunk <= kMaxChunk && kCoefficientRows == static_cast<int32_t>(kMaxChunk),
              "one packed coefficient row per sample of the longest chunk");

struct Chunk {
    // Filter-independent values of each sample.
    alignas(16) float x[kMaxChunk];
    alignas(16) float env[kMaxChunk];   // envelope contribution
    alignas(16) float u[kMaxChunk];     // LFO phase
    alignas(16) float level[kMaxChunk]; // random level in force
    alignas(16) float lfo[kMaxChunk];   // LFO contribution
    alignas(16) float p[kMaxChunk];     // modulated position, 0..1
    // Formant targets, filters in lanes; not stored for groups whose targets
    // are the same as the sample before (see same_targets).
    __m128 cutoff[kMaxChunk], q[kMaxChunk];
    // The mix and bypass smoothers' values of each sample; not written when
    // the block's smoothers rest (see MixerRun).
    alignas(16) float mix[kMaxChunk];
    alignas(16) float bypass[kMaxChunk];
    // The three band-pass outputs of each sample, filters in lanes.
    __m128 bp[kMaxChunk];
    // Per group of four: the targets equal those of the sample before.
    bool same_targets[kMaxChunk / 4];
    // The glide and the coefficients of each sample; not written for a
    // still chunk, whose samples all filter with still_cutoff_cur and the
    // coefficients in force.
    CoefficientRows rows;
    bool still;
    __m128 still_cutoff_cur;
};
static_assert(kChunk % kWideLanes == 0 && kMaxChunk % kWideLanes == 0 &&
                  kMaxChunk / kWideLanes <= 32,
              "whole wide blocks, one bit each");

// The mix and bypass smoothers. Their steps depend on nothing but their own
// state, so they run with the modulators; when a step would leave both
// unchanged (the usual case: they have reached their targets) they rest for
// the whole block and every sample uses the values in force.
struct MixerRun {
    OnePoleCoeffs mix_coeffs, bypass_coeffs;
    float mix_target, bypass_target;
    float mix, bypass;
    bool moving;
};

void mixer_load(MixerRun* mx, const WahEngine* e) {
    *mx = {e->mix_coeffs, e->bypass_coeffs, e->mix_target, e->bypass_target,
           e->mix_state,  e->bypass_state,  true};
    mx->moving =
        fast_bits(one_pole_step(&mx->mix_coeffs, mx->mix, mx->mix_target)) != fast_bits(mx->mix) ||
        fast_bits(one_pole_step(&mx->bypass_coeffs, mx->bypass, mx->bypass_target)) !=
            fast_bits(mx->bypass);
}

// The modulators' recursions and the block's settings for them, in locals
// while a block runs (the chunk's arrays could alias the engine as far as
// the compiler knows, which would send every state through memory).
struct Modulators {
    OnePoleCoeffs env_coeffs;
    float env_scale; // env_on * env_gain
    float env_level;
    LfoRun lfo;
};

void modulators_load(Modulators* md, const WahEngine* e) {
    md->env_coeffs = e->env_coeffs;
    md->env_scale = e->env_on * e->env_gain;
    md->env_level = e->env_level;
    md->lfo = {lfo_step_increment(e->lfo_inc),
               e->lfo_sync_offset,
               e->lfo_sync,
               e->lfo_phase_acc,
               e->random_value,
               e->rng_state};
}

void modulators_store(const Modulators* md, WahEngine* e) {
    e->env_level = md->env_level;
    e->lfo_phase_acc = md->lfo.phase;
    e->random_value = md->lfo.random_value;
    e->rng_state = md->lfo.rng_state;
}

// Pass 1a, one sample: the envelope follower and the LFO's phase.
WAH_INLINE void modulator_sample(Modulators* md, Chunk* c, const float* input, int32_t j) {
    const float x = input[j];
    c->x[j] = x;
    md->env_level = env_follow(&md->env_coeffs, md->env_level, x);
    c->env[j] = md->env_level * md->env_scale;
    c->u[j] = lfo_advance(&md->lfo);
    c->level[j] = md->lfo.random_value;
}

// Pass 1a where the positions are free of the input: the LFO only (every
// envelope contribution is zero, see chunk_targets).
WAH_INLINE void lfo_sample(Modulators* md, Chunk* c, int32_t j) {
    c->u[j] = lfo_advance(&md->lfo);
    c->level[j] = md->lfo.random_value;
}

// The envelope's step for a sample about to be rendered, where the
// positions are free of the input; returns the sample.
WAH_INLINE float envelope_sample(Modulators* md, Chunk* c, const float* input, int32_t j) {
    const float x = input[j];
    c->x[j] = x;
    md->env_level = env_follow(&md->env_coeffs, md->env_level, x);
    return x;
}

// Pass 1a's mixer part, one sample, for blocks whose smoothers move.
WAH_INLINE void mixer_sample(MixerRun* mx, Chunk* c, int32_t j) {
    mx->mix = one_pole_step(&mx->mix_coeffs, mx->mix, mx->mix_target);
    mx->bypass = one_pole_step(&mx->bypass_coeffs, mx->bypass, mx->bypass_target);
    c->mix[j] = mx->mix;
    c->bypass[j] = mx->bypass;
}

// Lanes past m are padded so pass 1b reads defined values.
void pad_modulators(Chunk* c, int32_t m) {
    for (int32_t j = m; j < ((m + kWideLanes - 1) & ~(kWideLanes - 1)); ++j) {
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
    uint32_t p_bits; // kNoPosition until the first group
    // The chunk before brought new targets in every group (see
    // chunk_targets).
    bool moving;
    // The block's LFO and vowel settings, and the form of the pass.
    PositionSettings positions;
    // The positions are free of the input: every envelope contribution is
    // zero (see positions_free_of_input).
    bool input_free;
    VowelSettings vowels;
    const WideTargetsForm* form;
};

// No p is NaN after the limits, so a NaN pattern means "none yet".
constexpr uint32_t kNoPosition = 0x7FC00000u;

bool same_position(__m128 p, uint32_t p_bits) {
    const __m128i eq =
        _mm_cmpeq_epi32(_mm_castps_si128(p), _mm_set1_epi32(static_cast<int>(p_bits)));
    return _mm_movemask_epi8(eq) == 0xFFFF;
}

// Which groups of four bring new targets; returns the wide blocks holding
// them, a bit each, and notes whether every group did.
uint32_t chunk_fresh_groups(Chunk* c, int32_t m, LastTargets* last) {
    uint32_t blocks = 0;
    bool any_kept = false;
    for (int32_t j = 0; j < m; j += 4) {
        const __m128 p = _mm_load_ps(&c->p[j]);
        const bool same = same_position(p, last->p_bits);
        c->same_targets[j / 4] = same;
        any_kept |= same;
        if (same)
            continue;
        blocks |= 1u << (j / kWideLanes);
        float lanes[4];
        _mm_storeu_ps(lanes, p);
        memcpy(&last->p_bits, &lanes[3], sizeof last->p_bits);
        // Only a group of four equal positions may be reused whole.
        if (!same_position(p, last->p_bits))
            last->p_bits = kNoPosition;
    }
    last->moving = !any_kept;
    return blocks;
}

// Pass 1b: positions, then the formant targets where they are new (a wide
// block computes all sixteen; groups that kept their targets ignore theirs,
// which are the same). The LFO contribution of the block's last sample is
// stored when block_end is set.
// While the pedal moves, every group brings new targets: then the targets
// of the whole chunk are computed at once, and the groups found after them,
// so the targets wait for the positions only. A group that turns out kept
// then holds targets equal to those kept, which the glide ignores.
void chunk_targets(Chunk* c, int32_t m, LastTargets* last, bool block_end) {
    alignas(64) static const float kNoEnvelope[kMaxChunk] = {};
    const float* env = last->input_free ? kNoEnvelope : c->env;
    last->form->positions(&last->positions, c->u, c->level, env, m, block_end, c->lfo, c->p);
    if (last->moving) {
        const uint32_t every_block = (1u << ((m + kWideLanes - 1) / kWideLanes)) - 1u;
        last->form->targets(&last->vowels, c->p, every_block, c->cutoff, c->q);
        chunk_fresh_groups(c, m, last);
        return;
    }
    const uint32_t blocks = chunk_fresh_groups(c, m, last);
    if (blocks != 0)
        last->form->targets(&last->vowels, c->p, blocks, c->cutoff, c->q);
}

// Pass 1c, one sample: the formant glide, serial but short; the shorter
// form when the block's targets are ordinary (see serial_passes).
WAH_INLINE void glide_sample(FormantLanes* l, Chunk* c, int32_t j, bool ordinary) {
    if (!c->same_targets[j / 4]) {
        l->cutoff = c->cutoff[j];
        l->q = c->q[j];
    }
    if (ordinary) {
        formant_lanes_glide_ordinary(l);
    } else {
        __m128 cutoff_moves, q_moves;
        formant_lanes_glide(l, &cutoff_moves, &q_moves);
    }
    coefficient_row_store(c->rows.cutoff_cur, j, l->cutoff_cur);
    coefficient_row_store(c->rows.q_cur, j, l->q_cur);
}

// Pass 3, sample x at j of a still chunk: the coefficients stay.
WAH_INLINE void render_still_sample(FormantLanes* l, Chunk* c, int32_t j, float x) {
    c->bp[j] = formant_lanes_process_at(l, x, c->still_cutoff_cur);
}

// Pass 3, sample x at j of a gliding chunk, with its coefficients.
WAH_INLINE void render_sample(FormantLanes* l, Chunk* c, int32_t j, float x) {
    l->t = coefficient_row(c->rows.t, j);
    l->kf = coefficient_row(c->rows.kf, j);
    l->kbl = coefficient_row(c->rows.kbl, j);
    l->hp1 = coefficient_row(c->rows.hp1, j);
    c->bp[j] = formant_lanes_process_at(l, x, coefficient_row(c->rows.cutoff_cur, j));
}

// Pass 4, from the band-pass rows of a rendered chunk: the wet sum (the
// same two products and two sums as formant_lanes_wet_sum), then mix and
// bypass, with the input read again just before the output is written (in
// place, output[j] may alias input[j]). Four samples at a time, the rows
// turned into a register per filter; sixteen with AVX-512.
WAH_INLINE __m128 output_mix(__m128 wet, __m128 x, __m128 mix, __m128 bypass, __m128 dry) {
    const __m128 y = _mm_add_ps(_mm_mul_ps(_mm_sub_ps(wet, x), mix), x);
    return _mm_add_ps(_mm_mul_ps(_mm_sub_ps(y, dry), bypass), dry);
}

WAH_INLINE void output_four(const Chunk* c, int32_t j, __m128 mix, __m128 bypass,
                            const float* input, float* output) {
    // Lanes 0..2 of four rows turned into three registers of four samples.
    const __m128 r0 = c->bp[j], r1 = c->bp[j + 1], r2 = c->bp[j + 2], r3 = c->bp[j + 3];
    const __m128 low01 = _mm_unpacklo_ps(r0, r1), low23 = _mm_unpacklo_ps(r2, r3);
    const __m128 b1 = _mm_movelh_ps(low01, low23), b2 = _mm_movehl_ps(low23, low01);
    const __m128 b3 = _mm_movelh_ps(_mm_unpackhi_ps(r0, r1), _mm_unpackhi_ps(r2, r3));
    const __m128 wet = _mm_add_ps(_mm_add_ps(b1, _mm_mul_ps(b2, _mm_set1_ps(0x1.c9676cp-2f))),
                                  _mm_mul_ps(b3, _mm_set1_ps(0x1.013798p-2f)));
    const __m128 dry = _mm_loadu_ps(input + j);
    _mm_storeu_ps(output + j, output_mix(wet, _mm_loadu_ps(&c->x[j]), mix, bypass, dry));
}

#ifdef __AVX512F__
// Four registers of four rows, permuted into one register per filter.
WAH_INLINE void output_sixteen(const Chunk* c, int32_t j, __m512 mix, __m512 bypass,
                               const float* input, float* output) {
    const float* rows = reinterpret_cast<const float*>(&c->bp[j]);
    const __m512 r0 = _mm512_loadu_ps(rows), r1 = _mm512_loadu_ps(rows + 16);
    const __m512 r2 = _mm512_loadu_ps(rows + 32), r3 = _mm512_loadu_ps(rows + 48);
    // Lanes 0..7 filter 1, 8..15 filter 2, of eight rows; then filter 3.
    const __m512i pick12 =
        _mm512_setr_epi32(0, 4, 8, 12, 16, 20, 24, 28, 1, 5, 9, 13, 17, 21, 25, 29);
    const __m512i pick3 =
        _mm512_setr_epi32(2, 6, 10, 14, 18, 22, 26, 30, 2, 6, 10, 14, 18, 22, 26, 30);
    const __m512i low = _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 16, 17, 18, 19, 20, 21, 22, 23);
    const __m512i high =
        _mm512_setr_epi32(8, 9, 10, 11, 12, 13, 14, 15, 24, 25, 26, 27, 28, 29, 30, 31);
    const __m512 f12a = _mm512_permutex2var_ps(r0, pick12, r1),
                 f12b = _mm512_permutex2var_ps(r2, pick12, r3);
    const __m512 f3a = _mm512_permutex2var_ps(r0, pick3, r1),
                 f3b = _mm512_permutex2var_ps(r2, pick3, r3);
    const __m512 b1 = _mm512_permutex2var_ps(f12a, low, f12b);
    const __m512 b2 = _mm512_permutex2var_ps(f12a, high, f12b);
    const __m512 b3 = _mm512_permutex2var_ps(f3a, low, f3b);
    const __m512 wet =
        _mm512_add_ps(_mm512_add_ps(b1, _mm512_mul_ps(b2, _mm512_set1_ps(0x1.c9676cp-2f))),
                      _mm512_mul_ps(b3, _mm512_set1_ps(0x1.013798p-2f)));
    const __m512 x = _mm512_loadu_ps(&c->x[j]);
    const __m512 dry = _mm512_loadu_ps(input + j);
    const __m512 y = _mm512_add_ps(_mm512_mul_ps(_mm512_sub_ps(wet, x), mix), x);
    _mm512_storeu_ps(output + j, _mm512_add_ps(_mm512_mul_ps(_mm512_sub_ps(y, dry), bypass), dry));
}
#endif

void chunk_output(const Chunk* c, int32_t m, const MixerRun* mx, const float* input,
                  float* output) {
    // Resting smoothers keep their values for every sample.
    const bool moving = mx->moving;
    int32_t j = 0;
#ifdef __AVX512F__
    for (; j + 16 <= m; j += 16) {
        output_sixteen(c, j, moving ? _mm512_loadu_ps(&c->mix[j]) : _mm512_set1_ps(mx->mix),
                       moving ? _mm512_loadu_ps(&c->bypass[j]) : _mm512_set1_ps(mx->bypass), input,
                       output);
    }
#endif
    for (; j + 4 <= m; j += 4) {
        output_four(c, j, moving ? _mm_loadu_ps(&c->mix[j]) : _mm_set1_ps(mx->mix),
                    moving ? _mm_loadu_ps(&c->bypass[j]) : _mm_set1_ps(mx->bypass), input, output);
    }
    for (; j < m; ++j) {
        const float mix = moving ? c->mix[j] : mx->mix;
        const float bypass = moving ? c->bypass[j] : mx->bypass;
        const float x = c->x[j];
        const float y = (formant_lanes_wet_sum(c->bp[j]) - x) * mix + x;
        const float dry = input[j];
        output[j] = (y - dry) * bypass + dry;
    }
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
#if defined(__AVX512F__)
// still_chunk calls this too (see chunk_still_apart); forced inline here,
// serial_passes keeps its own copy.
WAH_INLINE
#endif
bool chunk_still(FormantLanes* l, const Chunk* c, int32_t m) {
    if (!lanes_settled(l->cutoff, l->q, l))
        return false;
    int32_t last_new = -1;
    for (int32_t g = 0; g < m; g += 4) {
        if (c->same_targets[g / 4])
            continue;
        const int32_t end = g + 4 < m ? g + 4 : m;
        for (int32_t j = g; j < end; ++j) {
            if (!lanes_settled(c->cutoff[j], c->q[j], l))
                return false;
            last_new = j;
        }
    }
    if (last_new >= 0) {
        l->cutoff = c->cutoff[last_new];
        l->q = c->q[last_new];
    }
    return true;
}

// The serial passes of three consecutive chunks, any of which may be absent
// (m = 0): modulators of next, glide of now, render of prev.
struct Stage {
    Chunk* c;
    int32_t m;
};
struct RenderStage {
    Chunk* c;
    int32_t m;
    const float* input;
    float* output;
};

// The AVX-512 build builds the loop once per form of the glide (see
// glide_sample), sparing it a load and a branch each sample; in the other
// builds, with half as many vector registers, the loop reads the block's
// flag instead, as the extra loops cost them more than the flag.
#if defined(__AVX512F__)
constexpr bool kLoopPerGlideForm = true;
#else
constexpr bool kLoopPerGlideForm = false;
#endif

// The shared loop, for a gliding or still chunk now and a gliding or still
// chunk prev (a still chunk's samples need neither the glide nor
// coefficients of their own), with or without moving mix and bypass
// smoothers (resting, they hold no registers in the loop), with the glide's
// shorter form or the full one where kLoopPerGlideForm is set (else
// ordinary says which), and with the envelope in pass 1a or, where the
// positions are free of the input, beside the filters.
template <bool kGlide, bool kPrevStill, bool kMixerMoves, bool kOrdinary, bool kInputFree>
WAH_INLINE void serial_loop(Modulators* md, MixerRun* mixer, FormantLanes* l, Stage next,
                            const float* next_input, Stage now, RenderStage prev, bool ordinary) {
    MixerRun mx;
    if (kMixerMoves)
        mx = *mixer;
    int32_t m = next.m > prev.m ? next.m : prev.m;
    if (kGlide && now.m > m)
        m = now.m;
    for (int32_t j = 0; j < m; ++j) {
        if (j < next.m) {
            if (kInputFree) {
                lfo_sample(md, next.c, j);
            } else {
                modulator_sample(md, next.c, next_input, j);
            }
            if (kMixerMoves)
                mixer_sample(&mx, next.c, j);
        }
        if (kGlide && j < now.m)
            glide_sample(l, now.c, j, kLoopPerGlideForm ? kOrdinary : ordinary);
        if (j < prev.m) {
            const float x = kInputFree ? envelope_sample(md, prev.c, prev.input, j) : prev.c->x[j];
            if (kPrevStill) {
                render_still_sample(l, prev.c, j, x);
            } else {
                render_sample(l, prev.c, j, x);
            }
        }
    }
    // The coefficients in force after a gliding chunk: its last sample's.
    if (!kPrevStill && prev.m > 0)
        l->k = coefficient_row(prev.c->rows.k, prev.m - 1);
    if (kMixerMoves)
        *mixer = mx;
}

template <bool kGlide, bool kPrevStill, bool kInputFree>
WAH_INLINE void serial_loop_for(Modulators* md, MixerRun* mixer, FormantLanes* l, Stage next,
                                const float* next_input, Stage now, RenderStage prev,
                                bool ordinary) {
    // A chunk that glides nowhere needs neither form of the glide.
    if (kLoopPerGlideForm && kGlide && !ordinary) {
        if (mixer->moving) {
            serial_loop<kGlide, kPrevStill, true, false, kInputFree>(md, mixer, l, next, next_input,
                                                                     now, prev, ordinary);
        } else {
            serial_loop<kGlide, kPrevStill, false, false, kInputFree>(
                md, mixer, l, next, next_input, now, prev, ordinary);
        }
    } else if (mixer->moving) {
        serial_loop<kGlide, kPrevStill, true, true, kInputFree>(md, mixer, l, next, next_input, now,
                                                                prev, ordinary);
    } else {
        serial_loop<kGlide, kPrevStill, false, true, kInputFree>(md, mixer, l, next, next_input,
                                                                 now, prev, ordinary);
    }
}

template <bool kInputFree>
WAH_INLINE void serial_loop_forms(bool glide, bool prev_still, Modulators* md, MixerRun* mixer,
                                  FormantLanes* l, Stage next, const float* next_input, Stage now,
                                  RenderStage prev, bool ordinary) {
    if (glide) {
        if (prev_still) {
            serial_loop_for<true, true, kInputFree>(md, mixer, l, next, next_input, now, prev,
                                                    ordinary);
        } else {
            serial_loop_for<true, false, kInputFree>(md, mixer, l, next, next_input, now, prev,
                                                     ordinary);
        }
    } else if (prev_still) {
        serial_loop_for<false, true, kInputFree>(md, mixer, l, next, next_input, now, prev,
                                                 ordinary);
    } else {
        serial_loop_for<false, false, kInputFree>(md, mixer, l, next, next_input, now, prev,
                                                  ordinary);
    }
}

// The forms the block start chose for the glide and the coefficient pass:
// the glide's shorter form holds for the whole block when the targets
// carried in and every target the block's vowels give are ordinary; the
// coefficient pass may leave steps out where the ranges are proven.
struct BlockForms {
    bool ordinary, lower_half, under_limit;
};

BlockForms block_forms(const VowelSettings* v, const FormantLanes* l) {
    const bool ordinary = v->ordinary && formant_lanes_targets_ordinary(l);
    return {ordinary, ordinary && formant_lanes_sines_in_lower_half(l),
            ordinary && formant_lanes_cutoffs_under_prewarp_limit(l)};
}

// Pass 2 of a gliding chunk of m samples.
void chunk_coefficients(FormantCoefficientsFn coefficients, const BlockForms* forms,
                        const FormantLanes* l, Chunk* c, int32_t m) {
    const CoefficientRates rates = {_mm_cvtss_f32(l->t_k), _mm_cvtss_f32(l->prewarp_max)};
    coefficients(&rates, &c->rows, m, forms->lower_half, forms->under_limit);
    // The last sample's loads take float 3m along into the idle lane;
    // zeros there leave that lane's filter at rest.
    CoefficientRows* r = &c->rows;
    const int32_t after = 3 * m;
    r->t[after] = r->kf[after] = r->kbl[after] = r->hp1[after] = 0.0f;
}

// The serial passes of three chunks in one loop, then pass 2 of now.
// A still chunk needs no coefficients of its own, so when nothing before it
// waits for the filters it is rendered at once, in the place of prev (the
// pipeline then lags one chunk less); returns whether it was. A chunk now
// that belongs to the next block (now_leads) is only glided: its
// coefficients wait for that block, and it is never rendered here.
// The states live in locals: the output array could alias the engine as far
// as the compiler knows, which would send every state through memory.
// The AVX2 and AVX-512 builds keep this a function of its own: inlined
// into the block loop, its registers are allocated with the block's, and
// the AVX2 build then kept a filter state on the stack (the still pedal
// 1.5 ns slower there). The baseline build is faster inlined.
#if defined(__AVX2__)
__attribute__((noinline))
#endif
bool serial_passes(FormantCoefficientsFn coefficients, const BlockForms* forms, bool input_free,
                   bool now_leads, Modulators* modulators, MixerRun* mixer, FormantLanes* lanes,
                   Stage next, const float* next_input, Stage now, RenderStage prev,
                   RenderStage now_output) {
    Modulators md = *modulators;
    FormantLanes l = *lanes;
    const bool glide = now.m > 0 && !chunk_still(&l, now.c, now.m);
    if (now.m > 0) {
        now.c->still = !glide;
        now.c->still_cutoff_cur = l.cutoff_cur;
    }
    const bool render_now = now.m > 0 && !glide && prev.m == 0 && !now_leads;
    if (render_now) {
        prev = now_output;
        now.m = 0;
    }
    const bool prev_still = prev.m > 0 && prev.c->still;
    if (input_free) {
        serial_loop_forms<true>(glide, prev_still, &md, mixer, &l, next, next_input, now, prev,
                                forms->ordinary);
    } else {
        serial_loop_forms<false>(glide, prev_still, &md, mixer, &l, next, next_input, now, prev,
                                 forms->ordinary);
    }
    *modulators = md;
    *lanes = l;
    // Pass 2 on its own: it is wide work with no chain to overlap.
    if (glide && !now_leads)
        chunk_coefficients(coefficients, forms, &l, now.c, now.m);
    if (prev.m > 0)
        chunk_output(prev.c, prev.m, mixer, prev.input, prev.output);
    return render_now;
}

// Chunk k of a block of n samples worked in chunks of chunk samples.
int32_t chunk_length(int32_t n, int32_t k, int32_t chunk) {
    const int32_t base = k * chunk;
    if (base >= n)
        return 0;
    return n - base < chunk ? n - base : chunk;
}

// A still pedal's chunks, each rendered in the loop that steps its own
// modulators (AVX-512 build only): where the glide has settled and the
// pedal is expected to stay, a chunk is rendered with the coefficients in
// force before its targets are known, with the filters' memories kept. If
// its targets then leave it still, it is done, with the bits the pipeline
// would give; otherwise the memories go back and the pipeline takes the
// chunk up with its modulators and targets done. A still pedal thus fills
// no pipeline at the block start. The other builds render such chunks
// slower this way than in the pipeline, and leave it out.
#if defined(__AVX512F__)
struct FilterMemories {
    __m128 hp_z1, lp_z1, bp_z1, cutoff_z1;
};

template <bool kMixerMoves>
WAH_INLINE void still_loop(Modulators* md, MixerRun* mixer, FormantLanes* l, Chunk* c,
                           const float* input, int32_t m) {
    MixerRun mx;
    if (kMixerMoves)
        mx = *mixer;
    for (int32_t j = 0; j < m; ++j) {
        modulator_sample(md, c, input, j);
        if (kMixerMoves)
            mixer_sample(&mx, c, j);
        render_still_sample(l, c, j, c->x[j]);
    }
    if (kMixerMoves)
        *mixer = mx;
}

// Out-of-line forms for still_chunk, which keep serial_passes' own inlined
// ones (and its register allocation) as they are.
__attribute__((noinline)) bool chunk_still_apart(FormantLanes* l, const Chunk* c, int32_t m) {
    return chunk_still(l, c, m);
}

__attribute__((noinline)) void chunk_output_apart(const Chunk* c, int32_t m, const MixerRun* mx,
                                                  const float* input, float* output) {
    chunk_output(c, m, mx, input, output);
}

// One chunk of m samples rendered ahead of its targets; returns whether it
// stood. Where the positions are free of the input the pipeline steps the
// envelope with the render, so a chunk that did not stand leaves the
// envelope as it found it.
__attribute__((noinline)) bool still_chunk(Modulators* modulators, MixerRun* mixer,
                                           FormantLanes* lanes, LastTargets* targets, Chunk* c,
                                           const float* input, float* output, int32_t m,
                                           bool block_end) {
    Modulators md = *modulators;
    FormantLanes l = *lanes;
    const FilterMemories kept = {l.hp_z1, l.lp_z1, l.bp_z1, l.cutoff_z1};
    const float env_level = md.env_level;
    c->still_cutoff_cur = l.cutoff_cur;
    if (mixer->moving) {
        still_loop<true>(&md, mixer, &l, c, input, m);
    } else {
        still_loop<false>(&md, mixer, &l, c, input, m);
    }
    pad_modulators(c, m);
    chunk_targets(c, m, targets, block_end);
    c->still = chunk_still_apart(&l, c, m);
    if (!c->still) {
        l.hp_z1 = kept.hp_z1;
        l.lp_z1 = kept.lp_z1;
        l.bp_z1 = kept.bp_z1;
        l.cutoff_z1 = kept.cutoff_z1;
        if (targets->input_free)
            md.env_level = env_level;
    }
    *modulators = md;
    *lanes = l;
    if (c->still)
        chunk_output_apart(c, m, mixer, input, output);
    return c->still;
}

// Whether a block's pedal is expected to stay: its LFO is silent, the glide
// has settled and nothing but a silent envelope, or one that held the pedal
// at the heel or the toe at the end of the last block, moves it. (Only the
// speed depends on this guess: a chunk that moves is rendered again.)
bool pedal_expected_still(const WahEngine* e, const LastTargets* targets, const FormantLanes* l) {
    return targets->positions.lfo_silent && lanes_settled(l->cutoff, l->q, l) &&
           (targets->input_free || e->mod_position == 0.0f || e->mod_position == 100.0f);
}

// The chunks of a block of n samples (chunk_count chunks of chunk samples) that a
// pedal expected to stay renders ahead; returns the step the pipeline goes
// on from: that of the first chunk that did not stand, whose modulators and
// targets are done, or first_step where none was rendered ahead.
int32_t still_chunks_ahead(const WahEngine* e, Modulators* md, MixerRun* mixer, FormantLanes* l,
                           LastTargets* targets, Chunk chunks[3], const float* input, float* output,
                           int32_t n, int32_t chunk, int32_t chunk_count, int32_t first_step) {
    if (!pedal_expected_still(e, targets, l))
        return first_step;
    int32_t k = 0;
    for (; k < chunk_count; ++k) {
        const int32_t m = chunk_length(n, k, chunk);
        const int32_t base = k * chunk;
        if (!still_chunk(md, mixer, l, targets, &chunks[k % 3], input + base, output + base, m,
                         base + m == n))
            break;
    }
    return k;
}
#else
int32_t still_chunks_ahead(const WahEngine*, Modulators*, MixerRun*, FormantLanes*, LastTargets*,
                           Chunk*, const float*, float*, int32_t, int32_t, int32_t,
                           int32_t first_step) {
    return first_step;
}
#endif

// Whether the block's positions are free of its input: its envelope
// contribution, the level times a scale of +0 or -0, is then a signed zero
// in every sample, and adding it leaves a position that is not -0 as it is.
// The level stays finite: each step's exact value lies between the level
// and |x| when the step's coefficient lies in [0, 1], its roundings add at
// most 5 * 2^-24 of the larger, and over at most 2^24 steps from levels and
// inputs below 2^64 that stays under 2^72. Anything else (an envelope that
// moves the pedal, a non-finite or vast input) keeps the envelope in pass 1a.
constexpr int32_t kMostInputFreeSamples = 1 << 24;

bool input_bounded(const float* input, int32_t n) {
    const float bound = 0x1p64f;
    int32_t j = 0;
    bool ok = true;
#ifdef __AVX512F__
    const __m512 wide_bound = _mm512_set1_ps(bound);
    __mmask16 wide_ok = 0xFFFF;
    for (; j + 16 <= n; j += 16)
        wide_ok &=
            _mm512_cmp_ps_mask(_mm512_abs_ps(_mm512_loadu_ps(input + j)), wide_bound, _CMP_LE_OQ);
    ok = wide_ok == 0xFFFF;
#endif
    const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    __m128 four_ok = _mm_castsi128_ps(_mm_set1_epi32(-1));
    for (; j + 4 <= n; j += 4)
        four_ok = _mm_and_ps(four_ok, _mm_cmple_ps(_mm_and_ps(_mm_loadu_ps(input + j), magnitude),
                                                   _mm_set1_ps(bound)));
    ok = ok && _mm_movemask_ps(four_ok) == 0xF;
    for (; j < n; ++j)
        ok = ok && fast_from_bits(fast_bits(input[j]) & 0x7FFFFFFFu) <= bound;
    return ok;
}

bool positions_free_of_input(const Modulators* md, const PositionSettings* s, const float* input,
                             int32_t n) {
    const OnePoleCoeffs* c = &md->env_coeffs;
    return (fast_bits(md->env_scale) & 0x7FFFFFFFu) == 0 && fast_bits(s->position) != 0x80000000u &&
           c->m_a1u >= 0.0f && c->m_a1u <= 1.0f && c->m_a1d >= 0.0f && c->m_a1d <= 1.0f &&
           fast_from_bits(fast_bits(md->env_level) & 0x7FFFFFFFu) <= 0x1p64f &&
           n <= kMostInputFreeSamples && input_bounded(input, n);
}

// No position yet, as at a block start. An LFO that sounds moves the pedal
// from the first chunk on, as a rule.
void last_targets_restart(LastTargets* t) {
    t->p_bits = kNoPosition;
    t->moving = !t->positions.lfo_silent;
}

void last_targets_init(LastTargets* t, const WahEngine* e, const WideTargetsForm* form) {
    position_settings_init(&t->positions, e);
    vowel_settings_init(&t->vowels, e);
    t->form = form;
    last_targets_restart(t);
}

// The glide's lanes, which the lead carries from one block to the next.
struct GlideLanes {
    __m128 cutoff, q, cutoff_cur, q_cur;
};

GlideLanes glide_lanes(const FormantLanes* l) {
    return {l->cutoff, l->q, l->cutoff_cur, l->q_cur};
}

void set_glide_lanes(FormantLanes* l, const GlideLanes* g) {
    l->cutoff = g->cutoff;
    l->q = g->q;
    l->cutoff_cur = g->cutoff_cur;
    l->q_cur = g->q_cur;
}

constexpr size_t kLeadEngineBytes = offsetof(WahEngine, lead);
static_assert(kLeadEngineBytes <= kLeadSnapshotBytes,
              "the snapshot holds every field before the lead");

// The chunk length of a block of n samples that leads: two whole chunks of
// it are what the lead holds of the next block, which must work in the
// same chunks to take it up.
int32_t lead_chunk(int32_t n) {
    return n >= 2 * kLeadChunk ? kLeadChunk : kChunk;
}

// What the lead holds of two chunks: chunk 0's glided rows and chunk 1's
// LFO, in the lead or in the chunks themselves.
struct LeadParts {
    float *cutoff_cur, *q_cur, *u, *level;
};

LeadParts parts_in_lead(BlockLead* lead) {
    return {lead->cutoff_cur, lead->q_cur, lead->u, lead->level};
}

LeadParts parts_in_chunks(Chunk* c0, Chunk* c1) {
    return {c0->rows.cutoff_cur, c0->rows.q_cur, c1->u, c1->level};
}

template <int32_t kLength> void copy_parts(LeadParts to, LeadParts from) {
    memcpy(to.cutoff_cur, from.cutoff_cur, 3 * kLength * sizeof(float));
    memcpy(to.q_cur, from.q_cur, 3 * kLength * sizeof(float));
    memcpy(to.u, from.u, kLength * sizeof(float));
    memcpy(to.level, from.level, kLength * sizeof(float));
}

// The parts of chunks of chunk samples. (Copies of a fixed length are a
// few moves; of a length known only when run, calls.)
void copy_lead_parts(int32_t chunk, LeadParts to, LeadParts from) {
    if (chunk == kLeadChunk) {
        copy_parts<kLeadChunk>(to, from);
    } else {
        copy_parts<kChunk>(to, from);
    }
}

// Leaves the next block's chunk 0 (glided, c0) and chunk 1 (stepped, c1),
// of chunk samples each, in the lead, with the states after them, and the
// snapshot of the engine as this block leaves it; called last.
void lead_store(WahEngine* e, int32_t chunk, const LfoRun* lfo, const GlideLanes* glide,
                const LastTargets* targets, Chunk* c0, Chunk* c1) {
    BlockLead* lead = &e->lead;
    lead->chunk = chunk;
    lead->targets_moving = targets->moving;
    lead->p_bits = targets->p_bits;
    lead->lfo_phase = lfo->phase;
    lead->random_value = lfo->random_value;
    lead->rng_state = lfo->rng_state;
    _mm_storeu_ps(lead->glide[0], glide->cutoff);
    _mm_storeu_ps(lead->glide[1], glide->q);
    _mm_storeu_ps(lead->glide[2], glide->cutoff_cur);
    _mm_storeu_ps(lead->glide[3], glide->q_cur);
    copy_lead_parts(chunk, parts_in_lead(lead), parts_in_chunks(c0, c1));
    memcpy(lead->snapshot, e, kLeadEngineBytes);
    lead->valid = true;
}

// Takes up the lead when it stands for this block of n samples, which
// leads in chunks of chunk samples: its chunk 0 into chunks[0] with its
// coefficients, its chunk 1 into chunks[1] with its targets, and the states
// after them. Then the block goes on from step 1. (The lead's glide took
// its shorter form only where that gives the full form's bits, so its bits
// do not depend on the forms this block chooses.)
bool lead_resume(WahEngine* e, int32_t n, int32_t chunk, const BlockForms* forms,
                 FormantCoefficientsFn coefficients, Modulators* md, FormantLanes* l,
                 LastTargets* targets, Chunk chunks[3]) {
    BlockLead* lead = &e->lead;
    if (!lead->valid || lead->chunk != chunk || memcmp(lead->snapshot, e, kLeadEngineBytes) != 0)
        return false;
    md->lfo.phase = lead->lfo_phase;
    md->lfo.random_value = lead->random_value;
    md->lfo.rng_state = lead->rng_state;
    const GlideLanes glide = {_mm_loadu_ps(lead->glide[0]), _mm_loadu_ps(lead->glide[1]),
                              _mm_loadu_ps(lead->glide[2]), _mm_loadu_ps(lead->glide[3])};
    set_glide_lanes(l, &glide);
    targets->moving = lead->targets_moving;
    targets->p_bits = lead->p_bits;
    Chunk* c0 = &chunks[0];
    Chunk* c1 = &chunks[1];
    copy_lead_parts(chunk, parts_in_chunks(c0, c1), parts_in_lead(lead));
    c0->still = false;
    chunk_coefficients(coefficients, forms, l, c0, chunk);
    chunk_targets(c1, chunk, targets, n == 2 * chunk);
    return true;
}

void process_block(WahEngine* e, const float* input, float* output, int32_t n,
                   FormantCoefficientsFn coefficients, const WideTargetsForm* wide_targets) {
    Modulators modulators;
    modulators_load(&modulators, e);
    MixerRun mixer;
    mixer_load(&mixer, e);
    FormantLanes lanes;
    formant_lanes_load(&lanes, e);
    Chunk chunks[3];
    LastTargets targets;
    last_targets_init(&targets, e, wide_targets);
    const BlockForms forms = block_forms(&targets.vowels, &lanes);
    const bool input_free = positions_free_of_input(&modulators, &targets.positions, input, n);
    targets.input_free = input_free;
    // The lead for the next block, from this block's last two steps: the
    // LFO of its chunks 0 and 1, the targets of chunk 0 and its glide.
    // Resting mix and bypass smoothers keep the lead to those. A silent
    // LFO leaves the pedal where it is, and a pedal that stays has no glide
    // to lead. A block that leads may take up the lead the last one left.
    const bool leading =
        input_free && n >= 2 * kChunk && !mixer.moving && !targets.positions.lfo_silent;
    const int32_t chunk = leading ? lead_chunk(n) : kChunk;
    const bool resumed = leading && lead_resume(e, n, chunk, &forms, coefficients, &modulators,
                                                &lanes, &targets, chunks);
    e->lead.valid = false;
    // The next block's targets pass, as it would start: the same settings.
    LastTargets next_targets = targets;
    last_targets_restart(&next_targets);
    LfoRun lfo_at_end = modulators.lfo;
    GlideLanes glide_at_end = glide_lanes(&lanes);
    BlockForms next_forms = forms;
    // Step k runs the modulators of chunk k + 1, glides chunk k and renders
    // chunk k - 1 (or a still chunk k, see serial_passes); then the targets
    // of chunk k + 1 and the coefficients of chunk k. Step -1 starts with the
    // modulators and targets of chunk 0; a block that took up the lead
    // starts with step 1, and one whose still chunks were rendered ahead
    // (see still_chunk) with the step of the first that moved. Leading,
    // chunks chunk_count and chunk_count + 1 are the next block's 0 and 1.
    const int32_t chunk_count = (n + chunk - 1) / chunk;
    bool prev_rendered = !resumed; // nothing before chunk 0
    int32_t first_step = resumed ? 1 : -1;
    if (!leading) {
        first_step = still_chunks_ahead(e, &modulators, &mixer, &lanes, &targets, chunks, input,
                                        output, n, chunk, chunk_count, first_step);
    }
    for (int32_t k = first_step; k <= chunk_count; ++k) {
        const bool next_leads = leading && k + 1 >= chunk_count;
        const bool now_leads = leading && k == chunk_count;
        if (leading && k == chunk_count - 1)
            lfo_at_end = modulators.lfo;
        if (now_leads) {
            glide_at_end = glide_lanes(&lanes);
            next_forms = block_forms(&targets.vowels, &lanes);
        }
        const Stage next = {&chunks[(k + 1) % 3],
                            next_leads ? chunk : chunk_length(n, k + 1, chunk)};
        const Stage now = {&chunks[(k + 3) % 3], now_leads ? chunk
                                                 : k >= 0  ? chunk_length(n, k, chunk)
                                                           : 0};
        const int32_t prev_m = k >= 1 && !prev_rendered ? chunk_length(n, k - 1, chunk) : 0;
        // Absent stages, and the next block's, point at the block's start
        // (and no pointer before it).
        const int32_t next_base = next.m > 0 && !next_leads ? (k + 1) * chunk : 0;
        const int32_t prev_base = prev_m > 0 ? (k - 1) * chunk : 0;
        const int32_t now_base = now.m > 0 && !now_leads ? k * chunk : 0;
        const RenderStage prev = {&chunks[(k + 2) % 3], prev_m, input + prev_base,
                                  output + prev_base};
        const RenderStage now_output = {now.c, now.m, input + now_base, output + now_base};
        prev_rendered = serial_passes(coefficients, now_leads ? &next_forms : &forms, input_free,
                                      now_leads, &modulators, &mixer, &lanes, next,
                                      input + next_base, now, prev, now_output);
        // The next block's chunk 1 waits there for its targets.
        if (next.m > 0 && !now_leads) {
            pad_modulators(next.c, next.m);
            const bool block_end = !next_leads && (k + 1) * chunk + next.m == n;
            chunk_targets(next.c, next.m, next_leads ? &next_targets : &targets, block_end);
        }
    }
    // A next block's chunk 0 that glides nowhere is rendered in its first
    // step, from its input: no lead then.
    const bool lead_ready = leading && !chunks[chunk_count % 3].still;
    const LfoRun lfo_ahead = modulators.lfo;
    const GlideLanes glide_ahead = glide_lanes(&lanes);
    if (leading) {
        modulators.lfo = lfo_at_end;
        set_glide_lanes(&lanes, &glide_at_end);
    }
    modulators_store(&modulators, e);
    // The output values are those of the block's last sample.
    const Chunk* last = &chunks[(chunk_count - 1) % 3];
    const int32_t j = chunk_length(n, chunk_count - 1, chunk) - 1;
    e->mod_position = last->p[j] * 100.0f;
    e->lfo_phase = last->u[j];
    e->lfo_out = last->lfo[j];
    e->env_out = input_free ? modulators.env_level * modulators.env_scale : last->env[j];
    e->mix_state = mixer.mix;
    e->bypass_state = mixer.bypass;
    formant_lanes_store(&lanes, e);
    if (lead_ready) {
        lead_store(e, chunk, &lfo_ahead, &glide_ahead, &next_targets, &chunks[chunk_count % 3],
                   &chunks[(chunk_count + 1) % 3]);
    }
}

} // namespace

// [audio thread]
void BLOCK_KERNEL_NAME(WahEngine* e, const float* input, float* output, int32_t n,
                       FormantCoefficientsFn coefficients, const WideTargetsForm* wide_targets) {
    process_block(e, input, output, n, coefficients, wide_targets);
}
