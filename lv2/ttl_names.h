// Names of the choices shown by hosts for the stepped controls, kept beside
// the parameter table so the description files follow it.
#pragma once
#include <stdint.h>

// Musical name of lfo_sync_rate k (1..24), e.g. "1/4 dotted"; null outside.
// The rates run in groups of three per note value, from the whole note down
// to the 128th: dotted, plain, triplet. [any thread]
const char* lv2_sync_rate_name(uint32_t k);

// The note value's LFO cycles per quarter note for k (1..24); 0 outside.
// Derived from the name's note value, so a test can hold the names against
// the engine's ratio table. [any thread]
double lv2_sync_rate_cycles_per_quarter(uint32_t k);

// Name of the lfo_waveform corner w (1..4); null outside. [any thread]
const char* lv2_waveform_name(uint32_t w);
