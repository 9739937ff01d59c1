// The block's settings for the wide targets pass (wide_targets.h).
#include "engine/wide_targets.h"
#include "engine/fast_math.h"
#include "engine/lfo.h"

void position_settings_init(PositionSettings* s, const WahEngine* e) {
    const float k = e->lfo_skew;
    const float wf = e->lfo_waveform;
    s->position = e->position;
    s->k = k;
    s->kk = k + k;
    s->rise = fast_rcp(k + k);
    s->fall = fast_rcp(2.0f - (k + k));
    s->g_half = 0.0f;
    if (wf < 2.0f) {
        s->form = 0;
        s->mix = wf - 1.0f;
    } else if (wf < kLfoSquareFrom) {
        s->form = 1;
        const float g = fast_rcp(3.0f - wf) * 4.0f;
        s->mix = g;
        s->g_half = g * 0.5f;
    } else {
        s->form = 2;
        const float w = wf - 3.0f;
        s->mix = w > 0.0f ? w : 0.0f;
    }
    s->bias = e->lfo_bias;
    s->gain = e->lfo_on * e->lfo_gain;
    s->lfo_silent = s->gain == 0.0f;
}

void vowel_settings_init(VowelSettings* v, const WahEngine* e) {
    const float* heel = &e->heel.jaw;
    const float* mid = &e->mid.jaw;
    const float* toe = &e->toe.jaw;
    v->mid_on = e->mid_on;
    v->ordinary = true;
    for (int f = 0; f < 5; ++f) {
        const float values[3] = {heel[f], mid[f], toe[f]};
        for (const float x : values)
            if (!(x >= 0.0f && x <= 1.0f))
                v->ordinary = false;
        v->low_a[f] = heel[f];
        v->low_b[f] = e->mid_on ? mid[f] : toe[f];
        v->high_a[f] = e->mid_on ? mid[f] : heel[f];
        v->high_b[f] = toe[f];
    }
}
