// Pass 1b of block processing, sixteen samples at a time: the LFO's shape,
// the modulated position and the formant targets. The samples are
// independent, so the work is written once on generic vectors
// (wide_targets_pass.h) and built once per instruction set. Every lane
// performs the per-sample operations in their order and rounding, so every
// build gives the same bits. [audio thread, except where noted]
#pragma once
#include <emmintrin.h>
#include <stdint.h>

#include "engine/wah_engine.h"

enum : int32_t { kWideLanes = 16 };

// The block's LFO settings, from the same scalar operations
// lfo_skewed_phase and lfo_wave perform every sample.
typedef struct PositionSettings {
    float position;          // position * 0.01
    float k, kk, rise, fall; // skew: k, k + k, 1/(k + k), 1/(2 - (k + k))
    int32_t form;            // 0 sine to triangle, 1 to trapezoid, 2 square to random
    float mix;               // form 0: wf - 1; form 1: g; form 2: max(wf - 3, 0)
    float g_half;            // form 1: g * 0.5
    float bias, gain;
    bool lfo_silent; // gain is zero: every contribution is a signed zero
} PositionSettings;

// The block's vowel settings: for each of the five values the interpolation
// ends of the lower and the upper half (the same heel-to-toe pair in both
// halves when the mid setting is off).
typedef struct VowelSettings {
    bool mid_on;
    float low_a[5], low_b[5], high_a[5], high_b[5];
    // Every value lies in [0, 1] (as the parameter ranges keep them): the
    // targets are then positive and finite.
    bool ordinary;
} VowelSettings;

// [audio thread, block start]
void position_settings_init(PositionSettings* s, const WahEngine* e);
void vowel_settings_init(VowelSettings* v, const WahEngine* e);

// Modulated positions p of samples [0, m), computed and written for every
// sample of the sixteen-sample blocks that hold them, since the targets
// pass reads whole blocks (the inputs u, level and env are read as far).
// A block stores its LFO contributions in lfo where it computed the shape:
// always when the LFO has a gain, else only where the contribution could
// show (a signed zero added to a rest of -0, or a NaN from a phase that is
// not finite) and in the block holding sample m - 1 when last_needed is
// set.
typedef void (*WidePositionsFn)(const PositionSettings* s, const float* u, const float* level,
                                const float* env, int32_t m, bool last_needed, float* lfo,
                                float* p);

// Formant targets of the sixteen-sample blocks whose bit is set in blocks
// (bit b: samples 16b to 16b + 15), written one row per sample into
// cutoff_rows and q_rows, in the lanes the filters use (filter 3 twice).
typedef void (*WideTargetsFn)(const VowelSettings* v, const float* p, uint32_t blocks,
                              __m128* cutoff_rows, __m128* q_rows);

// Each build of block processing has its own (see wide_forms.h).
typedef struct WideTargetsForm {
    WidePositionsFn positions;
    WideTargetsFn targets;
} WideTargetsForm;
