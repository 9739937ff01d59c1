// Pass 1b of block processing, as the chunk loop drives it: which groups of
// four samples bring new formant targets, and the wide targets pass
// (wide_targets.h) over them; and whether a block's positions are free of
// its input. Included by each build's source (forms_*.cc), after the
// build's block header (block_sse.h or block_avx512.h).
#pragma once
#include "engine/block_chunk.h"
#include "engine/shortcuts.h"

namespace {

// The last position whose targets this block computed. Within a block the
// vowel settings are constant, so equal position bits give equal targets: a
// still pedal skips the morph and the exponentials, and a group of four
// such samples stores no targets at all (the glide keeps the ones it has).
struct LastTargets {
    uint32_t p_bits; // kNoPosition until the first group
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
// them, a bit each.
uint32_t chunk_fresh_groups(Chunk* c, int32_t m, LastTargets* last) {
    uint32_t blocks = 0;
    for (int32_t j = 0; j < m; j += 4) {
        const __m128 p = _mm_load_ps(&c->p[j]);
        const bool same = shortcut_on(kShortcutKeptTargets) && same_position(p, last->p_bits);
        c->same_targets[j / 4] = same;
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
    return blocks;
}

// Pass 1b: positions, then the formant targets where they are new (a wide
// block computes all sixteen; groups that kept their targets ignore theirs,
// which are the same). The LFO contribution of the block's last sample is
// stored when block_end is set.
void chunk_targets(Chunk* c, int32_t m, LastTargets* last, bool block_end) {
    alignas(64) static const float kNoEnvelope[kMaxChunk] = {};
    const float* env = last->input_free ? kNoEnvelope : c->env;
    last->form->positions(&last->positions, c->u, c->level, env, m, block_end, c->lfo, c->p);
    const uint32_t blocks = chunk_fresh_groups(c, m, last);
    if (blocks != 0)
        last->form->targets(&last->vowels, c->p, blocks, c->cutoff, c->q);
}

// Whether the block's positions are free of its input: its envelope
// contribution, the level times a scale of +0 or -0, is then a signed zero
// in every sample, and adding it leaves a position that is not -0 as it is.
// The level stays finite: each step's exact value lies between the level
// and |x| when the step's coefficient lies in [0, 1], its roundings add at
// most 5 * 2^-24 of the larger, and over at most 2^24 steps from levels and
// inputs below 2^64 that stays under 2^72. Anything else (an envelope that
// moves the pedal, a non-finite or vast input) keeps the envelope in pass 1a.
// (kMostInputFreeSamples and kInputFreeBound are in block_chunk.h.)
bool input_bounded(const float* input, int32_t n) {
    const float bound = kInputFreeBound;
    bool ok = true;
    int32_t j = 0;
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
    if (!shortcut_on(kShortcutInputFree))
        return false;
    const OnePoleCoeffs* c = &md->env_coeffs;
    return (fast_bits(md->env_scale) & 0x7FFFFFFFu) == 0 && fast_bits(s->position) != 0x80000000u &&
           c->m_a1u >= 0.0f && c->m_a1u <= 1.0f && c->m_a1d >= 0.0f && c->m_a1d <= 1.0f &&
           fast_from_bits(fast_bits(md->env_level) & 0x7FFFFFFFu) <= kInputFreeBound &&
           n <= kMostInputFreeSamples && input_bounded(input, n);
}

// No position yet, as at a block start.
void last_targets_restart(LastTargets* t) {
    t->p_bits = kNoPosition;
}

void last_targets_init(LastTargets* t, const WahEngine* e, const WideTargetsForm* form) {
    position_settings_init(&t->positions, e);
    vowel_settings_init(&t->vowels, e);
    t->form = form;
    last_targets_restart(t);
}

} // namespace
