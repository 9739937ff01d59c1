// The LFO (four morphable waveforms with skew and bias, free or host-synced
// rate) and its random generator. Per-sample pieces are inline.
#pragma once
#include "engine/fast_math.h"
#include "engine/shortcuts.h"
#include "engine/wah_engine.h"

// The waveform from which the LFO is a square morphing into the random
// level: 2.999 (below it, the triangle steepening into a trapezoid).
constexpr float kLfoSquareFrom = 0x1.7fdf3cp+1f;

// Seed of the random generator; drawn from at every reset and phase wrap.
constexpr uint64_t kRngSeed = 0xBADDECAF600DFEEDull;

// [audio thread] Next level of the permuted congruential generator whose
// state is *state, [-1, 1).
static inline float rng_next_state(uint64_t* state) {
    *state = *state * 0x9B60933458E17D7Dull + 0xD737232EECCDF7EDull;
    const uint32_t r = static_cast<uint32_t>(*state >> (29u - (*state >> 61)));
    return static_cast<float>(r) * 0x1p-31f - 1.0f;
}

// [audio thread] Next level of the engine's generator.
static inline float rng_next(WahEngine* e) {
    return rng_next_state(&e->rng_state);
}

// [audio thread] fast_frac of a phase sum. A sum in (0, 2) has the floor 0
// or 1 (no signed zero to keep), so the common case needs no bit work;
// anything else takes the general kernel. Same result for every input.
static inline float lfo_wrap(float s) {
    if (shortcut_on(kShortcutWrapFast) && s > 0.0f && s < 2.0f)
        return s >= 1.0f ? s - 1.0f : s;
    return fast_frac(s);
}

// [audio thread] Whether fast_floor(u) != fast_floor(u - inc). With u in
// [0, 1) and u - inc in [-1, 1) the floors are 0 and 0 or -1, so the phase
// wrapped exactly when u - inc is negative; other values take the floors.
static inline bool lfo_wrapped(float u, float inc) {
    const float v = u - inc;
    if (shortcut_on(kShortcutWrapFast) && u >= 0.0f && u < 1.0f && v >= -1.0f && v < 1.0f)
        return v < 0.0f;
    return fast_floor(u) != fast_floor(v);
}

// [audio thread] The phase increment a sample uses: lfo_inc, with
// increments below 6e-8 in size taken as 0.
static inline float lfo_step_increment(float lfo_inc) {
    return fast_from_bits(fast_bits(lfo_inc) & 0x7FFFFFFFu) < 0x1.01b2b2p-24f ? 0.0f : lfo_inc;
}

// The LFO's running state (lfo_phase_acc, random_value, rng_state) and the
// block's settings for its steps.
typedef struct LfoRun {
    float inc;         // lfo_step_increment(lfo_inc)
    float sync_offset; // added to the phase when sync is set
    bool sync;
    float phase; // lfo_phase_acc
    float random_value;
    uint64_t rng_state;
} LfoRun;

// [audio thread] Advances the phase by one sample and refreshes the random
// level when the phase wraps; returns the sample's phase u, from which the
// wide targets pass computes the LFO's shape. Always inlined: block
// processing calls it every sample, and out of line its state would pass
// through memory each time.
static inline __attribute__((always_inline)) float lfo_advance(LfoRun* r) {
    r->phase = lfo_wrap(r->phase + r->inc);
    const float u = r->sync ? lfo_wrap(r->phase + r->sync_offset) : r->phase;
    if (lfo_wrapped(u, r->inc))
        r->random_value = rng_next_state(&r->rng_state);
    return u;
}

// Recomputes lfo_freq from the sync or free rate. [audio thread or owner's lock]
void lfo_rate_update(WahEngine* e);
// Re-phases a synced LFO from a pending song position. [audio thread, block start]
void lfo_resync(WahEngine* e);
