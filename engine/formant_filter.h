// The vocal-tract filter: the pedal position morphs between the heel, mid
// and toe vowels; three state-variable band-passes tuned to the vowel's
// first three formants give the wet signal. Per-sample pieces are inline so
// the sample loop of wah_process.cc compiles to straight-line code.
#pragma once
#include "engine/fast_math.h"
#include "engine/one_pole.h"
#include "engine/wah_engine.h"

// Construction values: 5 ms glide, 1000 Hz, Q 0.5. [any thread, engine not in use]
void svf_init(SvfCoeffs* c);
// Tangent scale, prewarp limit and smoother rate. [engine not processing]
void svf_set_sample_rate(SvfCoeffs* c, float fs);

static inline float lerp_vowel(float a, float b, float t) {
    return a + (b - a) * t;
}

// [audio thread] The five vowel values at modulated position p in [0, 1].
static inline VowelPoint vowel_morph(const WahEngine* e, float p) {
    const VowelPoint* a = &e->heel;
    const VowelPoint* b = &e->toe;
    float t = p;
    if (e->mid_on) {
        const float p2 = 2.0f * p;
        if (p2 >= 1.0f) {
            a = &e->mid;
            t = p2 - 1.0f;
        } else {
            b = &e->mid;
            t = p2;
        }
    }
    VowelPoint v;
    v.jaw = lerp_vowel(a->jaw, b->jaw, t);
    v.tongue = lerp_vowel(a->tongue, b->tongue, t);
    v.color = lerp_vowel(a->color, b->color, t);
    v.sex = lerp_vowel(a->sex, b->sex, t);
    v.age = lerp_vowel(a->age, b->age, t);
    return v;
}

// [audio thread] Target cutoff and Q of the three filters. Q grows with the
// frequency so the bandwidths stay 80, 100 and 120 Hz.
static inline void formant_values(const VowelPoint* v, float cutoff[3], float q[3]) {
    const float h = 1.0f - v->sex;
    const float a = 1.0f - v->age;
    // 1.0 (sex 1, age 1) up to 1.45 (sex 0, age 0).
    const float s = ((h * 0x1.9999a0p-4f + 0x1.666668p-2f) - h * 0x1.70a3d0p-3f) * a +
                    (h * 0x1.70a3d0p-3f + 1.0f);
    // log2 of 220..900, 650..2400 and 2000..3100 Hz.
    cutoff[0] = fast_pow2(v->jaw * 0x1.042664p+1f + 0x1.f201ccp+2f) * s;
    cutoff[1] = fast_pow2(v->tongue * 0x1.e27016p+0f + 0x1.2b0478p+3f) * s;
    cutoff[2] = fast_pow2(v->color * 0x1.43b8a8p-1f + 0x1.5ee7b4p+3f) * s;
    q[0] = cutoff[0] * 0x1.99999ap-7f; // 1/80
    q[1] = cutoff[1] * 0x1.47ae14p-7f; // 1/100
    q[2] = cutoff[2] * 0x1.111112p-7f; // 1/120
}

// [audio thread] Sets the targets of the three filters from a vowel.
static inline void formant_targets(SvfCoeffs* svf, const VowelPoint* v) {
    float cutoff[3], q[3];
    formant_values(v, cutoff, q);
    for (uint32_t i = 0; i < 3; ++i) {
        svf[i].cutoff = cutoff[i];
        svf[i].q = q[i];
    }
}

// [audio thread] One glide step toward the targets and the coefficients that
// follow from it. A settled filter stops at the comparisons: no tangent, no
// reciprocal.
static inline void svf_update_coeffs(SvfCoeffs* c, bool force) {
    const bool cutoff_moves = force || c->cutoff != c->cutoff_cur;
    const bool q_moves = force || c->q != c->q_cur;
    if (!cutoff_moves && !q_moves)
        return;
    if (cutoff_moves) {
        c->cutoff_cur = one_pole_step_sticky_rel(&c->smoother, c->cutoff_cur, c->cutoff);
        const float fp = c->cutoff_cur < c->prewarp_max ? c->cutoff_cur : c->prewarp_max;
        const float x = (c->t_k * fp) * 0x1.45f306p-3f; // fp / fs
        // tan(pi fp / fs) as sin over cos; cos(2 pi x) = sin(2 pi (x + 1/4)).
        const float tangent = fast_sin2pi(x) * fast_rcp(fast_sin2pi(0.25f + x));
        c->t = fast_rcp(fp) * tangent;
        c->kf = c->cutoff_cur * c->t;
    }
    if (q_moves) {
        c->q_cur = one_pole_step_sticky_abs(&c->smoother, c->q_cur, c->q);
        c->k = fast_rcp(c->q_cur);
    }
    c->kbl = c->k + c->kf;
    c->hp1 = fast_rcp(c->kbl * c->kf + 1.0f);
}

// [audio thread] One sample through a topology-preserving state-variable
// filter; the memories are rescaled by the previous sample's cutoff so that
// a gliding cutoff does not change the stored energy. Returns the band-pass.
static inline float svf_process(const SvfCoeffs* c, SvfState* s, float x) {
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

// [audio thread] The formant outputs weighted 0, -7 and -12 dB.
static inline float formant_wet_sum(float bp1, float bp2, float bp3) {
    return (bp1 + bp2 * 0x1.c9676cp-2f) + bp3 * 0x1.013798p-2f;
}

// Jump to the targets, compute the coefficients, clear the memories.
// [engine not processing, or audio thread at a block start]
void svf_reset(SvfCoeffs* c, SvfState* s);
