// The plug-in's 39 ports and the conversion of port and stored values to the
// engine's plain parameter values.
//
// Ports: 0 audio in, 1 audio out, 2 host events (atom sequence), 3..33 the
// writable parameters 0..30, 34 the enable switch (parameter 31, `bypass`,
// inverted), 35..38 the four output values 32..35.
#pragma once
#include <stdint.h>

#include "engine/parameter_table.h"

enum : uint32_t {
    kLv2PortAudioIn = 0,
    kLv2PortAudioOut = 1,
    kLv2PortEvents = 2,
    kLv2PortFirstControl = 3, // parameter i is on port i + 3
    kLv2PortEnable = 34,      // parameter 31 (`bypass`), 1 = effect active
    kLv2PortFirstOutput = 35, // output value 32 + k is on port 35 + k
    kLv2PortCount = 39,
};

// The single-precision limits and flags the module clamps and snaps with.
// Logarithmic never appears here: it only matters for normalized values.
typedef struct Lv2ParameterRecord {
    uint32_t index;
    float minimum;
    float maximum;
    float default_value;
    uint32_t flags; // kParamBypass | kParamToggled | kParamInteger
} Lv2ParameterRecord;

// The record of a writable parameter 0..31. [any thread]
Lv2ParameterRecord lv2_parameter_record(uint32_t index);

// Port index of a parameter 0..35 (i + 3), and the parameter of an output
// port 35..38. [any thread]
static inline uint32_t lv2_port_of_parameter(uint32_t index) {
    return index + kLv2PortFirstControl;
}
static inline uint32_t lv2_parameter_of_output_port(uint32_t port) {
    return port - kLv2PortFirstControl;
}

// A control port's value as the engine's plain value: the enable port is
// inverted into `bypass`, switches turn on above 0, the sync rate rounds half
// away from zero, then the value is clamped (a NaN passes). [any thread]
float lv2_port_to_plain(uint32_t index, float x);

// A value read from a saved state as a plain value: like lv2_port_to_plain
// but stored values are in the parameter's own sense, so `bypass` is not
// inverted. [any thread]
float lv2_state_to_plain(uint32_t index, float x);
