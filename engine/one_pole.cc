#include "engine/one_pole.h"

namespace {
constexpr float kInvTwoPi = 0x1.45f306p-3f;            // 0.15915494
constexpr float kCoefficientLimitHz = 0x1.2f9060p+27f; // 159154944, about 1e9 / 2pi
constexpr float kShortestTau = 0x1.12e0bep-30f;        // 1e-9 s
} // namespace

void one_pole_init(OnePoleCoeffs* c, float cutoff_up, float cutoff_down, float sticky_thresh) {
    *c = OnePoleCoeffs{};
    c->cutoff_up = cutoff_up;
    c->cutoff_down = cutoff_down;
    c->sticky_thresh = sticky_thresh;
    c->changed = kOnePoleChangedAll;
}

void one_pole_set_sample_rate(OnePoleCoeffs* c, float fs) {
    c->fs_2pi = kInvTwoPi * fs;
}

float one_pole_coefficient(const OnePoleCoeffs* c, float cutoff) {
    // Above the limit (and at +inf) the smoother is a wire.
    if (cutoff > kCoefficientLimitHz)
        return 0.0f;
    return c->fs_2pi * fast_rcp(c->fs_2pi + cutoff);
}

void one_pole_reset_coeffs(OnePoleCoeffs* c) {
    c->m_a1u = one_pole_coefficient(c, c->cutoff_up);
    c->m_a1d = one_pole_coefficient(c, c->cutoff_down);
    c->sticky_thresh_sq = c->sticky_thresh * c->sticky_thresh;
    c->changed = 0;
}

void one_pole_update_coeffs(OnePoleCoeffs* c) {
    if (c->changed == 0)
        return;
    if (c->changed & kOnePoleChangedUp)
        c->m_a1u = one_pole_coefficient(c, c->cutoff_up);
    if (c->changed & kOnePoleChangedDown)
        c->m_a1d = one_pole_coefficient(c, c->cutoff_down);
    if (c->changed & kOnePoleChangedSticky)
        c->sticky_thresh_sq = c->sticky_thresh * c->sticky_thresh;
    c->changed = 0;
}

void one_pole_set_cutoff_up(OnePoleCoeffs* c, float hz) {
    if (hz == c->cutoff_up)
        return;
    c->cutoff_up = hz;
    c->changed |= kOnePoleChangedUp;
}

void one_pole_set_cutoff_down(OnePoleCoeffs* c, float hz) {
    if (hz == c->cutoff_down)
        return;
    c->cutoff_down = hz;
    c->changed |= kOnePoleChangedDown;
}

float one_pole_tau_to_cutoff(float tau) {
    if (tau < kShortestTau)
        return __builtin_inff();
    return fast_rcp(tau) * kInvTwoPi;
}
