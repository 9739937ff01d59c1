// The parameter table: the single source of truth for the effect's 36
// parameters (0..31 writable, 32..35 read-only output values), shared by the
// engine, the saved state, both plug-in modules and the editor page.
//
// Everything here is constant data or a pure function of it: safe on any
// thread, including the audio thread.
#pragma once
#include <stddef.h>
#include <stdint.h>

enum : uint32_t {
    kParameterCount = 36,
    kInputParameterCount = 32,
    kOutputParameterCount = 4,
    kSyncRateCount = 24,
    kFormatValueCapacity = 128, // UTF-16 units formatValue may write, terminator included
};

// How a parameter's values are snapped and mapped.
enum ParamFlag : uint32_t {
    kParamBypass = 1,      // the effect's bypass switch; snapped to 0 or 1
    kParamToggled = 2,     // on/off switch; snapped to 0 or 1
    kParamInteger = 4,     // whole numbers
    kParamLogarithmic = 8, // exponential normalized <-> plain mapping
};

// VST3 parameter flags as the host sees them.
enum : int32_t {
    kVst3CanAutomate = 1,
    kVst3IsReadOnly = 2,
    kVst3IsBypass = 0x10000,
};

// Indices of the parameters, in table order.
enum ParameterIndex : uint32_t {
    kPosition,
    kMix,
    kHeelJaw,
    kHeelTongue,
    kHeelColor,
    kHeelSex,
    kHeelAge,
    kMidOn,
    kMidJaw,
    kMidTongue,
    kMidColor,
    kMidSex,
    kMidAge,
    kToeJaw,
    kToeTongue,
    kToeColor,
    kToeSex,
    kToeAge,
    kLfoOn,
    kLfoWaveform,
    kLfoAmount,
    kLfoBias,
    kLfoSkew,
    kLfoSync,
    kLfoFreeRate,
    kLfoSyncRate,
    kLfoSyncPhase,
    kEnvOn,
    kEnvAmount,
    kEnvAttack,
    kEnvRelease,
    kBypass,
    kModPosition,
    kLfoPhase,
    kLfoOut,
    kEnvOut,
};

// One row of the input or output record arrays.
typedef struct ParameterRecord {
    uint64_t index;
    double minimum;
    double maximum;
    double default_value;
    uint32_t flags;  // ParamFlag bits
    double log_span; // ln(maximum / minimum) for Logarithmic, else 0
} ParameterRecord;

// The host-facing description of a parameter (ids, texts, VST3 attributes).
typedef struct ParameterDescription {
    const char* id;        // lower-case key, e.g. "heel_jaw"
    uint32_t param_id;     // VST3 ParamID stored in host projects
    const char16_t* title; // UTF-16, zero-terminated
    const char16_t* short_title;
    const char16_t* units; // "%", "Hz", "ms" or empty
    int32_t step_count;    // 0 continuous, n: n+1 values
    double default_normalized;
    int32_t vst3_flags;
} ParameterDescription;

extern const ParameterRecord kInputParameterRecords[kInputParameterCount];
extern const ParameterRecord kOutputParameterRecords[kOutputParameterCount];
extern const uint8_t kParameterRowMap[kParameterCount]; // index -> row in its array
extern const ParameterDescription kParameterDescriptions[kParameterCount];

// LFO cycles per quarter note; lfo_sync_rate k selects entry k - 1.
extern const float kSyncRatios[kSyncRateCount];

// The record of an index 0..35 (input or output array); null outside.
const ParameterRecord* parameter_record(uint32_t index);

// The index of a VST3 ParamID; false (index untouched) for any other value.
bool indexFromParamId(uint32_t param_id, uint32_t* index);

// Conversions of the table's Algorithms; no clamping unless named.
double normalizedToPlain(uint32_t index, double normalized);
double plainToNormalized(uint32_t index, double plain);
double snapAndClamp(uint32_t index, double plain);

// Writes the two-decimal display text of a normalized value into `buffer`
// (kFormatValueCapacity units, terminator included). Returns true.
bool formatValue(uint32_t index, double normalized, char16_t* buffer);

// Reads a display text (zero-terminated UTF-16) back to a normalized value.
double parseValue(uint32_t index, const char16_t* text);
