// The lead's steps (block_lead.h holds what it carries): a block whose
// positions are free of its input does the next block's first serial steps
// in its own last ones, and the next block takes them up. Included by each
// build's source (forms_*.cc).
#pragma once
#include "engine/block_serial.h"

namespace {

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
    return shortcut_on(kShortcutLongChunks) && n >= 2 * kLeadChunk ? kLeadChunk : kChunk;
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
    targets->p_bits = lead->p_bits;
    Chunk* c0 = &chunks[0];
    Chunk* c1 = &chunks[1];
    copy_lead_parts(chunk, parts_in_chunks(c0, c1), parts_in_lead(lead));
    c0->still = false;
    chunk_coefficients(coefficients, forms, l, c0, chunk);
    chunk_targets(c1, chunk, targets, n == 2 * chunk);
    return true;
}

} // namespace
