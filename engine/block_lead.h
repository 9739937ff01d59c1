// The next block's head start. Block processing runs as a pipeline of
// chunks (block_driver.h): before a block renders its first sample it
// must step the LFO through two chunks and glide the first, serial work
// with nothing to overlap. Where the positions do not depend on the input
// (the envelope's contribution is a signed zero), that work depends on the
// engine's fields alone, so a block can do it for the next block in its own
// last steps, beside the rendering of its last chunks, and leave it here.
//
// The next block takes it up only if, after its start, every field of the
// engine before the lead holds the bits this block left (the snapshot): any
// parameter, transport, reset or sample-rate change makes it start afresh,
// with the same result. A block that takes it up gives the same bits as one
// that starts afresh. [audio thread]
#pragma once
#include <stdint.h>

enum : int32_t {
    kLeadChunk = 64,                 // the most samples per chunk of a block that leads
    kLeadRowFloats = 3 * kLeadChunk, // one chunk's packed rows, three filters per sample
    kLeadSnapshotBytes = 1024,       // room for the engine's fields before the lead
};

typedef struct BlockLead {
    // Set by a block that computed the lead, cleared by the next block.
    bool valid;
    // Samples per chunk of the block that computed it; the next block
    // takes it up only if it works in chunks of as many.
    int32_t chunk;
    // The targets pass's memory after chunk 0: its last position.
    uint32_t p_bits;
    // The LFO after chunk 1.
    float lfo_phase;
    float random_value;
    uint64_t rng_state;
    // The glide's lanes after chunk 0: cutoff, q, cutoff_cur, q_cur.
    float glide[4][4];
    // Chunk 0's glided cutoffs and Qs, packed as the coefficient rows are
    // (3 * chunk floats each).
    float cutoff_cur[kLeadRowFloats];
    float q_cur[kLeadRowFloats];
    // Chunk 1's LFO phases and random levels (chunk floats each).
    float u[kLeadChunk];
    float level[kLeadChunk];
    // The engine's fields before the lead, as the computing block left them.
    unsigned char snapshot[kLeadSnapshotBytes];
} BlockLead;
