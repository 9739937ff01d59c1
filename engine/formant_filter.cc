#include "engine/formant_filter.h"

namespace {
constexpr float kGlideCutoffHz = 0x1.fd4bacp+4f;   // 31.830975 Hz: 5 ms
constexpr float kGlideSnap = 0x1.0624dep-10f;      // 0.001
constexpr float kPi = 0x1.921fb6p+1f;              // 3.1415927
constexpr float kPrewarpFraction = 0x1.fef9dcp-2f; // 0.499
} // namespace

void svf_init(SvfCoeffs* c) {
    *c = SvfCoeffs{};
    one_pole_init(&c->smoother, kGlideCutoffHz, kGlideCutoffHz, kGlideSnap);
    c->cutoff = 1000.0f;
    c->q = 0.5f;
}

void svf_set_sample_rate(SvfCoeffs* c, float fs) {
    one_pole_set_sample_rate(&c->smoother, fs);
    one_pole_reset_coeffs(&c->smoother);
    c->t_k = kPi / fs;
    c->prewarp_max = kPrewarpFraction * fs;
}

void svf_reset(SvfCoeffs* c, SvfState* s) {
    c->cutoff_cur = c->cutoff;
    c->q_cur = c->q;
    svf_update_coeffs(c, true);
    s->hp_z1 = 0.0f;
    s->lp_z1 = 0.0f;
    s->bp_z1 = 0.0f;
    s->cutoff_z1 = c->cutoff;
}
