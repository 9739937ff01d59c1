// Names of the choices of the stepped controls, as hosts and the editor page
// show them. One spelling everywhere: the LV2 description's scale points and
// the page's parameter list are both generated from these.
#pragma once
#include <stdint.h>

// Note name of lfo_sync_rate k (1..24), e.g. "1/4." (dotted), "1/4" or
// "1/4T" (triplet); null outside. The rates run in groups of three per note
// value, from the whole note down to the 128th: dotted, plain, triplet.
// [any thread]
const char* sync_rate_name(uint32_t k);

// The note value's LFO cycles per quarter note for k (1..24); 0 outside.
// Derived from the name's note value, so a test can hold the names against
// the engine's ratio table. [any thread]
double sync_rate_cycles_per_quarter(uint32_t k);

// Name of the lfo_waveform corner w (1..4); null outside. [any thread]
const char* waveform_name(uint32_t w);
