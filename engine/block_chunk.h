// The chunk: the unit block processing works in, and the per-sample steps of
// the modulators that fill it. A block is worked in chunks of kChunk
// samples (kLeadChunk where it leads, see block_lead_steps.h), pass by pass
// (block_driver.h), so that the work independent from sample to sample runs
// side by side. Included by each build's source (forms_*.cc).
#pragma once
#include <stddef.h>
#include <string.h>

#include "engine/block_lead.h"
#include "engine/envelope.h"
#include "engine/formant_coefficients.h"
#include "engine/formant_lanes.h"
#include "engine/lfo.h"
#include "engine/shortcuts.h"
#include "engine/wide_targets.h"

// The per-sample steps must be inlined into the chunk loops: called out of
// line, they would take the filter lanes through memory every sample.
#define WAH_INLINE inline __attribute__((always_inline))

namespace {

constexpr int32_t kChunk = 32;
constexpr int32_t kMaxChunk = kLeadChunk;
static_assert(kChunk <= kMaxChunk && kCoefficientRows == static_cast<int32_t>(kMaxChunk),
              "one packed coefficient row per sample of the longest chunk");

// The most samples, and the largest input and level in size, of a block
// whose positions may be free of its input (see positions_free_of_input).
constexpr int32_t kMostInputFreeSamples = 1 << 24;
constexpr float kInputFreeBound = 0x1p64f;

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
        !shortcut_on(kShortcutRestingMixer) ||
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

// Chunk k of a block of n samples worked in chunks of chunk samples.
int32_t chunk_length(int32_t n, int32_t k, int32_t chunk) {
    const int32_t base = k * chunk;
    if (base >= n)
        return 0;
    return n - base < chunk ? n - base : chunk;
}

} // namespace
