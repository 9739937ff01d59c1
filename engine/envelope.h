// The envelope follower: a one-pole on the input's magnitude with separate
// attack (cutoff_up) and release (cutoff_down) times.
#pragma once
#include "engine/fast_math.h"
#include "engine/one_pole.h"
#include "engine/wah_engine.h"

// [audio thread] Envelope follower on |x|; returns its contribution.
static inline float env_step(WahEngine* e, float x) {
    const float level = fast_from_bits(fast_bits(x) & 0x7FFFFFFFu);
    e->env_level = one_pole_step_asym(&e->env_coeffs, e->env_level, level);
    return e->env_level * (e->env_on * e->env_gain);
}
