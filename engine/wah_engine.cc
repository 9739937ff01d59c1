// Engine construction, sample-rate set-up, reset and parameter application.
#include "engine/wah_engine.h"

#include "engine/formant_filter.h"
#include "engine/lfo.h"

namespace {

constexpr float kSmoothCutoffHz = 0x1.976fbap+1f; // 3.1830971 Hz: 50 ms for mix and bypass
constexpr float kPercent = 0x1.47ae14p-7f;        // 0.01
constexpr float kHalfPercent = 0x1.47ae14p-8f;    // 0.005
constexpr float kMilli = 0x1.0624dep-10f;         // 0.001
constexpr float kSkewMax = 0x1.ff7ceep-1f;        // 0.999
constexpr float kPerDegree = 0x1.6c16c2p-9f;      // 0.0027777778, 1/360

void set_vowel_field(VowelPoint* v, uint64_t field, float value) {
    float* fields[5] = {&v->jaw, &v->tongue, &v->color, &v->sex, &v->age};
    *fields[field] = value * kPercent;
}

// Plain lfo_sync_rate (1..24) to a table index; anything outside the range,
// NaN included, lands on the nearest end instead of outside the table.
int32_t sync_index(float value) {
    if (!(value >= 1.0f))
        return 0;
    if (value >= 24.0f)
        return kSyncRateCount - 1;
    return static_cast<int32_t>(value) - 1;
}

float switch_gate(float value) {
    return value >= 0.5f ? 1.0f : 0.0f;
}

} // namespace

void wah_engine_init(WahEngine* e) {
    *e = WahEngine{};
    const float inf = __builtin_inff();
    one_pole_init(&e->env_coeffs, inf, inf, 0.0f);
    e->lfo_freq = 1.0f;
    for (uint32_t i = 0; i < kFormantCount; ++i)
        svf_init(&e->svf[i]);
    one_pole_init(&e->mix_coeffs, kSmoothCutoffHz, kSmoothCutoffHz, 0.0f);
    one_pole_init(&e->bypass_coeffs, kSmoothCutoffHz, kSmoothCutoffHz, 0.0f);
    e->mix_target = 1.0f;
    e->bypass_target = 1.0f;
    e->lfo_sync = false;
    e->lfo_free_rate = 2.0f;
    e->lfo_sync_index = 8;
    e->rolling = false;
    e->tempo = 120.0f;
    e->speed = 1.0f;
    e->speed_factor = 1.0f;
    e->resync_position = -1.0;
    e->rng_state = kRngSeed;
    e->sample_rate = 0.0f;
}

void wah_engine_set_sample_rate(WahEngine* e, float fs) {
    one_pole_set_sample_rate(&e->env_coeffs, fs);
    e->sample_period = 1.0f / fs;
    for (uint32_t i = 0; i < kFormantCount; ++i)
        svf_set_sample_rate(&e->svf[i], fs);
    one_pole_set_sample_rate(&e->mix_coeffs, fs);
    one_pole_set_sample_rate(&e->bypass_coeffs, fs);
    e->sample_rate = fs;
}

void wah_engine_reset(WahEngine* e) {
    one_pole_reset_coeffs(&e->env_coeffs);
    e->env_level = 0.0f;
    e->lfo_inc = e->sample_period * e->lfo_freq;
    e->lfo_freq_applied = e->lfo_freq;
    e->lfo_phase_acc = 0.0f;
    e->random_value = rng_next(e);
    for (uint32_t i = 0; i < kFormantCount; ++i)
        svf_reset(&e->svf[i], &e->svf_state[i]);
    one_pole_reset_coeffs(&e->mix_coeffs);
    e->mix_state = e->mix_target;
    one_pole_reset_coeffs(&e->bypass_coeffs);
    e->bypass_state = e->bypass_target;
    e->rolling = false;
    e->tempo = 120.0f;
    e->speed = 1.0f;
    e->speed_factor = 1.0f;
    e->resync_position = -1.0;
    e->mod_position = e->position * 100.0f;
    e->lfo_phase = 0.0f;
    e->lfo_out = 0.0f;
    e->env_out = 0.0f;
}

void wah_engine_set_parameter(WahEngine* e, uint64_t index, float value) {
    if (index >= kInputParameterCount)
        return;
    e->param_values[index] = value;
    switch (index) {
    case kPosition:
        e->position = value * kPercent;
        break;
    case kMix:
        e->mix_target = value * kPercent;
        break;
    case kHeelJaw:
    case kHeelTongue:
    case kHeelColor:
    case kHeelSex:
    case kHeelAge:
        set_vowel_field(&e->heel, index - kHeelJaw, value);
        break;
    case kMidOn:
        e->mid_on = value >= 0.5f;
        break;
    case kMidJaw:
    case kMidTongue:
    case kMidColor:
    case kMidSex:
    case kMidAge:
        set_vowel_field(&e->mid, index - kMidJaw, value);
        break;
    case kToeJaw:
    case kToeTongue:
    case kToeColor:
    case kToeSex:
    case kToeAge:
        set_vowel_field(&e->toe, index - kToeJaw, value);
        break;
    case kLfoOn:
        e->lfo_on = switch_gate(value);
        break;
    case kLfoWaveform:
        e->lfo_waveform = value;
        break;
    case kLfoAmount:
        e->lfo_gain = value * kHalfPercent;
        break;
    case kLfoBias:
        e->lfo_bias = value * kPercent;
        break;
    case kLfoSkew: {
        float k = value * kHalfPercent + 0.5f;
        k = k > kMilli ? k : kMilli; // a NaN lands on the low end
        e->lfo_skew = k < kSkewMax ? k : kSkewMax;
        break;
    }
    case kLfoSync:
        e->lfo_sync = value >= 0.5f;
        lfo_rate_update(e);
        break;
    case kLfoFreeRate:
        e->lfo_free_rate = value;
        lfo_rate_update(e);
        break;
    case kLfoSyncRate:
        e->lfo_sync_index = sync_index(value);
        lfo_rate_update(e);
        break;
    case kLfoSyncPhase:
        e->lfo_sync_offset = fast_frac(value * kPerDegree);
        break;
    case kEnvOn:
        e->env_on = switch_gate(value);
        break;
    case kEnvAmount:
        e->env_gain = value * 0.5f;
        break;
    case kEnvAttack:
        one_pole_set_cutoff_up(&e->env_coeffs, one_pole_tau_to_cutoff(value * kMilli));
        break;
    case kEnvRelease:
        one_pole_set_cutoff_down(&e->env_coeffs, one_pole_tau_to_cutoff(value * kMilli));
        break;
    case kBypass:
        e->bypass_target = value >= 0.5f ? 0.0f : 1.0f;
        break;
    default:
        break;
    }
}

float wah_engine_get_parameter(const WahEngine* e, uint64_t index) {
    if (index >= kInputParameterCount)
        return 0.0f;
    return e->param_values[index];
}
