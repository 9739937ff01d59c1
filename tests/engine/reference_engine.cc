#include "reference_engine.h"

#include <math.h>
#include <string.h>

namespace {

// The kernels, restated here from their definitions, so that a fault in
// the engine's own never hides from this comparison.
float ref_bits_float(uint32_t b) {
    float x;
    memcpy(&x, &b, sizeof x);
    return x;
}
uint32_t ref_float_bits(float x) {
    uint32_t b;
    memcpy(&b, &x, sizeof b);
    return b;
}
float ref_floor(float x) {
    return floorf(x);
}
float ref_frac(float x) {
    return x - floorf(x);
}
// Two Newton steps from a guess made of the bits.
float ref_rcp(float x) {
    float v = ref_bits_float(0x7EF0E840u - ref_float_bits(x));
    for (int i = 0; i < 2; ++i)
        v = (v + v) - (x * v) * v;
    return v;
}
// 2^l times a cubic in the fraction f, for the floor l (-0 and negative
// whole numbers take the integer below and f = 1).
float ref_pow2(float x) {
    if (x < -126.0f)
        return 0.0f;
    if (isnan(x))
        return x;
    if (x >= 128.0f)
        return INFINITY;
    const int l = static_cast<int>(truncf(x)) - (signbit(x) ? 1 : 0);
    const float f = x - static_cast<float>(l);
    const float v = ref_bits_float(static_cast<uint32_t>(l + 127) << 23); // 2^l
    return ((f * 0.07944154f + 0.22741129f) * f + 0.6931472f) * (f * v) + v;
}
// A folded triangle through an odd cubic.
float ref_sin2pi(float x) {
    const float xf = ref_frac(x);
    const float a = (xf + xf) - 1.0f;
    const float fold = fabsf((fabsf(a) + fabsf(a)) - 1.0f);
    const float theta = fold * -1.5707964f + 1.5707964f;
    const float s = (theta * -0.11073982f + -0.05738534f) * (theta * theta) + theta;
    return signbit(a) ? s : -s;
}

// The one-pole smoother's steps and coefficients.
float ref_coefficient(const OnePoleCoeffs* c, float cutoff) {
    return cutoff > 159154944.0f ? 0.0f : c->fs_2pi * ref_rcp(c->fs_2pi + cutoff);
}
void ref_update_coeffs(OnePoleCoeffs* c) {
    if (c->changed & 1u)
        c->m_a1u = ref_coefficient(c, c->cutoff_up);
    if (c->changed & 2u)
        c->m_a1d = ref_coefficient(c, c->cutoff_down);
    if (c->changed & 4u)
        c->sticky_thresh_sq = c->sticky_thresh * c->sticky_thresh;
    c->changed = 0;
}
float ref_step(const OnePoleCoeffs* c, float y, float x) {
    return x + (y - x) * c->m_a1u;
}
float ref_step_asym(const OnePoleCoeffs* c, float y, float x) {
    return x + (y - x) * (x >= y ? c->m_a1u : c->m_a1d);
}
float ref_step_sticky_rel(const OnePoleCoeffs* c, float y, float x) {
    y = ref_step(c, y, x);
    return (y - x) * (y - x) <= (x * c->sticky_thresh_sq) * x ? x : y;
}
float ref_step_sticky_abs(const OnePoleCoeffs* c, float y, float x) {
    y = ref_step(c, y, x);
    return (y - x) * (y - x) <= c->sticky_thresh_sq ? x : y;
}

float ref_rng(WahEngine* e) {
    e->rng_state = e->rng_state * 0x9B60933458E17D7Dull + 0xD737232EECCDF7EDull;
    const uint32_t r = static_cast<uint32_t>(e->rng_state >> (29 - (e->rng_state >> 61)));
    return static_cast<float>(r) * 0x1p-31f - 1.0f;
}

void ref_block_start(WahEngine* e) {
    const float ratio = kSyncRatios[e->lfo_sync_index];
    if (e->resync_position >= 0.0 && e->lfo_sync) {
        const double cycles = e->resync_position * static_cast<double>(ratio);
        float ph = static_cast<float>(cycles - trunc(cycles));
        ph = fminf(fmaxf(ph, 0.0f), 0x1.fffffep-1f);
        e->lfo_phase_acc = ph;
    }
    e->resync_position = -1.0;
    ref_update_coeffs(&e->env_coeffs);
    if (e->lfo_freq != e->lfo_freq_applied) {
        e->lfo_inc = e->sample_period * e->lfo_freq;
        e->lfo_freq_applied = e->lfo_freq;
    }
    ref_update_coeffs(&e->mix_coeffs);
    ref_update_coeffs(&e->bypass_coeffs);
}

void ref_update(SvfCoeffs* c) {
    const bool cm = c->cutoff != c->cutoff_cur;
    const bool qm = c->q != c->q_cur;
    if (!cm && !qm)
        return;
    if (cm) {
        c->cutoff_cur = ref_step_sticky_rel(&c->smoother, c->cutoff_cur, c->cutoff);
        const float fp = fminf(c->cutoff_cur, c->prewarp_max);
        const float x = (c->t_k * fp) * 0.15915494f;
        const float tangent = ref_sin2pi(x) * ref_rcp(ref_sin2pi(0.25f + x));
        c->t = ref_rcp(fp) * tangent;
        c->kf = c->cutoff_cur * c->t;
    }
    if (qm) {
        c->q_cur = ref_step_sticky_abs(&c->smoother, c->q_cur, c->q);
        c->k = ref_rcp(c->q_cur);
    }
    c->kbl = c->k + c->kf;
    c->hp1 = ref_rcp(c->kbl * c->kf + 1.0f);
}

float ref_svf(const SvfCoeffs* c, SvfState* s, float x) {
    const float kk = c->t * s->cutoff_z1;
    const float lp_x = kk * s->bp_z1 + s->lp_z1;
    const float bp_x = kk * s->hp_z1 + s->bp_z1;
    const float hp = ((x - c->kbl * bp_x) - lp_x) * c->hp1;
    const float bp = c->kf * hp + bp_x;
    const float lp = c->kf * bp + lp_x;
    s->hp_z1 = hp;
    s->lp_z1 = lp;
    s->bp_z1 = bp;
    s->cutoff_z1 = c->cutoff_cur;
    return bp;
}

} // namespace

void reference_process(WahEngine* e, const float* input, float* output, int32_t n) {
    ref_block_start(e);
    for (int32_t i = 0; i < n; ++i) {
        const float x = input[i];
        // Envelope.
        e->env_level = ref_step_asym(&e->env_coeffs, e->env_level, fabsf(x));
        const float env = e->env_level * (e->env_on * e->env_gain);
        // LFO.
        float inc = e->lfo_inc;
        if (fabsf(inc) < 6e-8f)
            inc = 0.0f;
        e->lfo_phase_acc = ref_frac(e->lfo_phase_acc + inc);
        const float u =
            e->lfo_sync ? ref_frac(e->lfo_phase_acc + e->lfo_sync_offset) : e->lfo_phase_acc;
        if (ref_floor(u) != ref_floor(u - inc))
            e->random_value = ref_rng(e);
        const float k = e->lfo_skew;
        const float b =
            u < k ? ref_rcp(k + k) * u : ((u + 1.0f) - (k + k)) * ref_rcp(2.0f - (k + k));
        const float wf = e->lfo_waveform;
        float v;
        if (wf < 2.0f) {
            const float tri = fabsf(b - 0.5f) * -4.0f + 1.0f;
            const float sine = ref_sin2pi(tri * 0.25f);
            v = (tri - sine) * (wf - 1.0f) + sine;
        } else if (wf < 2.999f) {
            const float g = ref_rcp(3.0f - wf) * 4.0f;
            const float r = g * b - 1.0f;
            v = fminf(fmaxf(b < 0.5f ? r : g * 0.5f - r, -1.0f), 1.0f);
        } else {
            const float d = 0.5f - b;
            const float sq = d > 0.0f ? 1.0f : (d == 0.0f ? 0.0f : -1.0f);
            v = (e->random_value - sq) * fmaxf(wf - 3.0f, 0.0f) + sq;
        }
        const float lfo = (v + e->lfo_bias) * (e->lfo_on * e->lfo_gain);
        // Position and vowel.
        // Below 0 gives 0 and above 1 gives 1; -0 is not below 0 and stays
        // (fmaxf may return either zero), and NaN gives the heel.
        const float unlimited = (e->position + env) + lfo;
        const float p = unlimited >= 0.0f ? (unlimited > 1.0f ? 1.0f : unlimited) : 0.0f;
        const float* a = &e->heel.jaw;
        const float* z = &e->toe.jaw;
        float t = p;
        if (e->mid_on && 2.0f * p >= 1.0f) {
            a = &e->mid.jaw;
            t = 2.0f * p - 1.0f;
        } else if (e->mid_on) {
            z = &e->mid.jaw;
            t = 2.0f * p;
        }
        float vw[5];
        for (int f = 0; f < 5; ++f)
            vw[f] = a[f] + (z[f] - a[f]) * t;
        const float h = 1.0f - vw[3];
        const float ag = 1.0f - vw[4];
        const float s =
            ((h * 0.100000024f + 0.35000002f) - h * 0.17999995f) * ag + (h * 0.17999995f + 1.0f);
        const float f1 = ref_pow2(vw[0] * 2.0324216f + 7.7813597f) * s;
        const float f2 = ref_pow2(vw[1] * 1.8845228f + 9.3442955f) * s;
        const float f3 = ref_pow2(vw[2] * 0.6322682f + 10.965784f) * s;
        e->svf[0].cutoff = f1;
        e->svf[0].q = f1 * 0.0125f;
        e->svf[1].cutoff = f2;
        e->svf[1].q = f2 * 0.01f;
        e->svf[2].cutoff = f3;
        e->svf[2].q = f3 * 0.008333334f;
        e->mod_position = p * 100.0f;
        // Filters.
        ref_update(&e->svf[0]);
        ref_update(&e->svf[1]);
        ref_update(&e->svf[2]);
        const float bp1 = ref_svf(&e->svf[0], &e->svf_state[0], x);
        const float bp2 = ref_svf(&e->svf[1], &e->svf_state[1], x);
        const float bp3 = ref_svf(&e->svf[2], &e->svf_state[2], x);
        const float wet = (bp1 + bp2 * 0.4466836f) + bp3 * 0.25118864f;
        // Mix and bypass.
        e->mix_state = ref_step(&e->mix_coeffs, e->mix_state, e->mix_target);
        const float y = (wet - x) * e->mix_state + x;
        e->bypass_state = ref_step(&e->bypass_coeffs, e->bypass_state, e->bypass_target);
        const float dry = input[i];
        output[i] = (y - dry) * e->bypass_state + dry;
        e->lfo_phase = u;
        e->lfo_out = lfo;
        e->env_out = env;
    }
}
