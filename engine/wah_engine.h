// WahEngine: the vocal-tract wah, one per plug-in instance, the same in the
// VST3 and the LV2 module. Mono, single precision, no latency.
//
// Calling order: wah_engine_init; wah_engine_set_parameter for indices 0..31
// in order; wah_engine_set_sample_rate then wah_engine_reset; then per block
// parameter changes, wah_engine_apply_transport when the transport changed
// (or was not applied since the last reset), wah_engine_process, and reading
// the four output values. A sample-rate change or re-activation repeats the
// set-sample-rate + reset step; parameter values persist.
//
// The engine allocates nothing, takes no lock and never fails. Its owner
// serialises access (its parameter lock guards param_values and sample_rate
// against a concurrent state save).
#pragma once
#include <stdint.h>

#include "engine/block_lead.h"
#include "engine/one_pole.h"
#include "engine/parameter_table.h"

// One vowel setting of the pedal; each value is its parameter * 0.01 (0..1).
typedef struct VowelPoint {
    float jaw;    // first formant
    float tongue; // second formant
    float color;  // third formant
    float sex;    // scales all three
    float age;    // scales all three
} VowelPoint;

// Coefficients of one formant band-pass (a state-variable filter whose
// cutoff and Q glide toward their targets).
typedef struct SvfCoeffs {
    OnePoleCoeffs smoother; // 5 ms glide of cutoff and Q
    float cutoff_cur;       // smoothed cutoff, Hz
    float q_cur;            // smoothed Q
    float t_k;              // pi / fs
    float prewarp_max;      // 0.499 fs, highest frequency fed to the tangent
    float t;                // tan(pi fp / fs) / fp for the limited cutoff fp
    float kf;               // integrator gain, cutoff_cur * t
    float k;                // damping, 1 / q_cur
    float kbl;              // k + kf
    float hp1;              // 1 / (1 + kf * kbl)
    float cutoff;           // target cutoff, Hz
    float q;                // target Q
} SvfCoeffs;

// Memories of one formant filter.
typedef struct SvfState {
    float hp_z1;     // high-pass output of the previous sample
    float lp_z1;     // low-pass output of the previous sample
    float bp_z1;     // band-pass output of the previous sample
    float cutoff_z1; // smoothed cutoff of the previous sample
} SvfState;

enum : uint32_t { kFormantCount = 3 };

// Which TransportInfo fields changed / are provided by the host.
enum TransportBit : uint32_t {
    kTransportRolling = 0x1,
    kTransportSpeed = 0x2,
    kTransportTempo = 0x4,
    kTransportPositionQuarters = 0x8,
    kTransportBeat = 0x10,
    kTransportBeatsPerBar = 0x20,
    kTransportBeatUnit = 0x40,
    kTransportBar = 0x80,
    kTransportBarBeat = 0x100,
};

// The host transport as the module frame last saw it; rewritten by the frame
// before every block.
typedef struct TransportInfo {
    uint32_t changed_mask;    // TransportBit bits changed since the previous block
    uint32_t valid_mask;      // TransportBit bits the host currently provides
    bool rolling;             // transport is playing
    float speed;              // 1 = normal, 0 = stopped, negative = backwards
    float tempo;              // beats per minute
    double position_quarters; // song position in quarter notes
    double beat;              // song position in beats
    float beats_per_bar;      // time signature numerator
    uint32_t beat_unit;       // time signature denominator (4 = quarter note)
    uint64_t bar;             // bar number from 0
    float bar_beat;           // beat within the bar
} TransportInfo;

typedef struct WahEngine {
    // Envelope follower: attack is cutoff_up, release cutoff_down.
    OnePoleCoeffs env_coeffs;
    // LFO rate.
    float sample_period;    // 1 / fs, seconds
    float lfo_inc;          // phase increment per sample, cycles
    float lfo_freq;         // wanted LFO frequency, Hz
    float lfo_freq_applied; // the lfo_freq lfo_inc was last computed from
    // Formant filters.
    SvfCoeffs svf[kFormantCount];
    // Mix.
    OnePoleCoeffs mix_coeffs;
    float mix_state;  // smoothed mix, 0..1
    float mix_target; // mix * 0.01
    // Bypass crossfade.
    OnePoleCoeffs bypass_coeffs;
    float bypass_state;  // smoothed effect amount, 0..1
    float bypass_target; // 1 processing, 0 bypassed
    // Pedal.
    float position; // position * 0.01
    VowelPoint heel;
    bool mid_on;
    VowelPoint mid;
    VowelPoint toe;
    // Modulator settings.
    float env_on;           // 1 or 0: gates the envelope contribution
    float env_gain;         // env_amount * 0.5
    float lfo_on;           // 1 or 0: gates the LFO contribution
    float lfo_gain;         // lfo_amount * 0.005
    float lfo_bias;         // lfo_bias * 0.01
    float lfo_waveform;     // 1 sine, 2 triangle, 3 square, 4 random; continuous
    float lfo_skew;         // 0.001..0.999, where the cycle's midpoint falls
    bool lfo_sync;          // rate and phase follow the host
    float lfo_free_rate;    // Hz
    int32_t lfo_sync_index; // 0..23 into kSyncRatios
    float lfo_sync_offset;  // lfo_sync_phase in cycles, [0, 1)
    // Output values of the last processed sample.
    float mod_position; // modulated position, percent
    float lfo_phase;    // [0, 1)
    float lfo_out;      // LFO contribution to the position
    float env_out;      // envelope contribution to the position
    // Transport.
    bool rolling;
    float tempo;            // beats per minute
    float speed;            // host transport speed
    float speed_factor;     // factor on the synced LFO rate
    double resync_position; // quarter notes at which to re-phase; negative = none
    // Signal state.
    float env_level;
    float lfo_phase_acc; // [0, 1), without the sync offset
    float random_value;  // level of the random waveform, [-1, 1)
    SvfState svf_state[kFormantCount];
    uint64_t rng_state;
    // Parameters as last set (unscaled) and the sample rate (0 until set):
    // what a saved state holds.
    float param_values[kInputParameterCount];
    float sample_rate;
    // Work done ahead for the next block; last, as its snapshot covers
    // every field before it. Never part of a saved state.
    BlockLead lead;
} WahEngine;

// Construction values. [any thread, engine not in use]
void wah_engine_init(WahEngine* e);
// Sample-rate dependent fields. [non-audio threads, engine not processing]
void wah_engine_set_sample_rate(WahEngine* e, float fs);
// Clears all signal state. [non-audio threads or audio thread, engine not processing]
void wah_engine_reset(WahEngine* e);
// Stores and applies one parameter (plain, snapped, in range); indices above
// 31 are ignored. Takes effect from the next block. [audio thread or owner's lock]
void wah_engine_set_parameter(WahEngine* e, uint64_t index, float value);
// The value last set at index; 0 for indices above 31. [owner's lock]
float wah_engine_get_parameter(const WahEngine* e, uint64_t index);
// Takes in the host transport. [audio thread, before wah_engine_process]
void wah_engine_apply_transport(WahEngine* e, const TransportInfo* ti);
// One block: n samples of input to output (they may be the same array).
// Needs flush-to-zero / denormals-are-zero set by the caller. [audio thread]
void wah_engine_process(WahEngine* e, const float* input, float* output, int32_t n);
