// The envelope follower: a one-pole on the input's magnitude with separate
// attack (cutoff_up) and release (cutoff_down) times.
#pragma once
#include "engine/fast_math.h"
#include "engine/one_pole.h"

// [audio thread] The follower's next level from level, following |x|. Its
// contribution to the position is the level times env_on * env_gain.
static inline float env_follow(const OnePoleCoeffs* c, float level, float x) {
    return one_pole_step_asym(c, level, fast_from_bits(fast_bits(x) & 0x7FFFFFFFu));
}
