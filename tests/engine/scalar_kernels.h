// The engine's per-sample steps in scalar form, which block processing runs
// on many samples at once (wide_targets.h, formant_lanes.h): the tests hold
// the wide passes to these, lane by lane. They read the voice model's
// constants and the fast kernels from the engine, as every form does; the
// plain reference (reference_engine.cc) restates everything on its own.
#pragma once
#include "engine/fast_math.h"
#include "engine/lfo.h"
#include "engine/voice_model.h"
#include "engine/wah_engine.h"

static inline float lerp_vowel(float a, float b, float t) {
    return a + (b - a) * t;
}

// The five vowel values at modulated position p in [0, 1].
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

// Target cutoff and Q of the three filters. Q grows with the
// frequency so the bandwidths stay 80, 100 and 120 Hz.
static inline void formant_values(const VowelPoint* v, float cutoff[3], float q[3]) {
    const float h = 1.0f - v->sex;
    const float a = 1.0f - v->age;
    // 1.0 (sex 1, age 1) up to 1.45 (sex 0, age 0).
    const float s = ((h * kScaleSexAged + kScaleAged) - h * kScaleSex) * a + (h * kScaleSex + 1.0f);
    const float values[3] = {v->jaw, v->tongue, v->color};
    for (int f = 0; f < 3; ++f) {
        cutoff[f] = fast_pow2(values[f] * kFormantSlope[f] + kFormantOffset[f]) * s;
        q[f] = cutoff[f] * kFormantQPerHz[f];
    }
}

// Sets the targets of the three filters from a vowel.
static inline void formant_targets(SvfCoeffs* svf, const VowelPoint* v) {
    float cutoff[3], q[3];
    formant_values(v, cutoff, q);
    for (uint32_t i = 0; i < 3; ++i) {
        svf[i].cutoff = cutoff[i];
        svf[i].q = q[i];
    }
}

// One sample through a topology-preserving state-variable
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

// The formant outputs weighted 0, -7 and -12 dB.
static inline float formant_wet_sum(float bp1, float bp2, float bp3) {
    return (bp1 + bp2 * kWetWeight2) + bp3 * kWetWeight3;
}

// Phase b of the skewed cycle: reaches 0.5 when u reaches k.
static inline float lfo_skewed_phase(float u, float k) {
    if (u < k)
        return fast_rcp(k + k) * u;
    return ((u + 1.0f) - (k + k)) * fast_rcp(2.0f - (k + k));
}

// Waveform value at skewed phase b, morphing continuously
// sine (1) -> triangle (2) -> trapezoid -> square (3) -> random level (4).
static inline float lfo_wave(float wf, float b, float random_value) {
    if (wf < 2.0f) {
        const float tri = fast_from_bits(fast_bits(b - 0.5f) & 0x7FFFFFFFu) * -4.0f + 1.0f;
        const float sine = fast_sin2pi(tri * 0.25f);
        return (tri - sine) * (wf - 1.0f) + sine;
    }
    if (wf < kLfoSquareFrom) {
        const float g = fast_rcp(3.0f - wf) * 4.0f;
        const float r = g * b - 1.0f;
        float v = b < 0.5f ? r : g * 0.5f - r;
        if (v < -1.0f)
            v = -1.0f;
        if (v > 1.0f)
            v = 1.0f;
        return v;
    }
    const float d = 0.5f - b;
    float sq = 0.0f;
    if (d > 0.0f) {
        sq = 1.0f;
    } else if (d != 0.0f && (fast_bits(d) & 0x80000000u)) {
        sq = -1.0f;
    }
    const float w = wf - 3.0f;
    return (random_value - sq) * (w > 0.0f ? w : 0.0f) + sq;
}
