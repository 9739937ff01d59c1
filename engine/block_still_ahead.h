// A still pedal's chunks rendered ahead, in the loop that steps their own
// modulators (the AVX-512 build only; included only by forms_avx512.cc):
// where the glide has settled and the pedal is expected to stay, a chunk is
// rendered with the coefficients in force before its targets are known,
// with the filters' memories kept. If its targets then leave it still, it
// is done, with the bits the pipeline would give; otherwise the memories go
// back and the pipeline takes the chunk up with its modulators and targets
// done. A still pedal thus fills no pipeline at the block start. The other
// builds render such chunks slower this way than in the pipeline, and
// leave it out (block_sse.h).
#pragma once
#include "engine/block_serial.h"

namespace {

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
    return shortcut_on(kShortcutStillAhead) && targets->positions.lfo_silent &&
           lanes_settled(l->cutoff, l->q, l) &&
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
} // namespace
