// Block processing after the block start (wah_process.cc): the driver of
// the chunk pipeline, process_block, which each build's source (forms_*.cc)
// includes and hands out as its kernel. engine/README.md describes the
// pipeline and names its terms.
#pragma once
#include "engine/block_lead_steps.h"

namespace {

// One block of n > 0 samples. [audio thread, after the block start]
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
    const bool leading = shortcut_on(kShortcutLead) && input_free && n >= 2 * kChunk &&
                         !mixer.moving && !targets.positions.lfo_silent;
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
