// The one-pole smoother: the engine's single smoothing element (envelope
// follower, formant glide, mix and bypass crossfade). Its coefficients change
// only at block starts; the per-sample steps are inline here.
#pragma once
#include <stdint.h>

#include "engine/fast_math.h"

enum : uint32_t {
    kOnePoleChangedUp = 1,
    kOnePoleChangedDown = 2,
    kOnePoleChangedSticky = 4,
    kOnePoleChangedAll = 0xFFFFFFFFu,
};

typedef struct OnePoleCoeffs {
    float fs_2pi; // sample rate / (2 pi)
    float m_a1u;  // feedback for a rising input (and the symmetric step)
    float m_a1d;  // feedback for a falling input
    float sticky_thresh_sq;
    float cutoff_up;   // Hz; +inf follows the input at once
    float cutoff_down; // Hz
    float sticky_thresh;
    uint32_t changed; // kOnePoleChanged* bits awaiting one_pole_update_coeffs
} OnePoleCoeffs;

// Construction values: both cutoffs, a threshold, everything marked changed.
// [any thread, before use]
void one_pole_init(OnePoleCoeffs* c, float cutoff_up, float cutoff_down, float sticky_thresh);
// [non-audio threads, engine not processing]
void one_pole_set_sample_rate(OnePoleCoeffs* c, float fs);
// Recomputes every coefficient. [non-audio threads, engine not processing]
void one_pole_reset_coeffs(OnePoleCoeffs* c);
// Recomputes the coefficients whose settings changed. [audio thread, block start]
void one_pole_update_coeffs(OnePoleCoeffs* c);
// Store a cutoff if it differs (NaN counts as different). [audio thread or owner's lock]
void one_pole_set_cutoff_up(OnePoleCoeffs* c, float hz);
void one_pole_set_cutoff_down(OnePoleCoeffs* c, float hz);
// Time constant in seconds to cutoff in Hz; +inf below 1e-9 s. [any thread]
float one_pole_tau_to_cutoff(float tau);
// Feedback coefficient of a cutoff: fs*tau / (fs*tau + 1), 0 above ~1e9/2pi Hz.
// [any thread]
float one_pole_coefficient(const OnePoleCoeffs* c, float cutoff);

// [audio thread] Symmetric step toward x.
static inline float one_pole_step(const OnePoleCoeffs* c, float y, float x) {
    return x + (y - x) * c->m_a1u;
}

// [audio thread] Attack coefficient while x >= y, release otherwise (and for NaN).
static inline float one_pole_step_asym(const OnePoleCoeffs* c, float y, float x) {
    const float k = x >= y ? c->m_a1u : c->m_a1d;
    return x + (y - x) * k;
}

// [audio thread] Symmetric step that snaps to x once within a relative threshold.
static inline float one_pole_step_sticky_rel(const OnePoleCoeffs* c, float y, float x) {
    y = x + (y - x) * c->m_a1u;
    const float d = y - x;
    return d * d <= (x * c->sticky_thresh_sq) * x ? x : y;
}

// [audio thread] Symmetric step that snaps to x once within an absolute threshold.
static inline float one_pole_step_sticky_abs(const OnePoleCoeffs* c, float y, float x) {
    y = x + (y - x) * c->m_a1u;
    const float d = y - x;
    return d * d <= c->sticky_thresh_sq ? x : y;
}
