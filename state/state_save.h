// The save procedure shared by both modules.
//
// A module reads its engine's sample rate, takes the instance's parameter
// lock, copies the 32 plain values (index order) and clears its
// params_in_sync flag, releases the lock, and only then calls state_save:
// archive building runs outside the lock.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "engine/parameter_table.h"

// Builds the saved-state byte string: info.map with its eight pairs (id,
// version 1.0.0 build 1, `format`, platform "windows", `sample_rate` as f32),
// parameters.map with the 32 values under their ids, version "1.0", no
// extras. `format` is OKA_STATE_FORMAT_VST3 or OKA_STATE_FORMAT_LV2.
// Returns a new malloc'd buffer (the caller frees it) with its length stored
// through out_length, or null when memory runs out or `format` is null.
// [non-audio threads]
void* state_save(const float values[kInputParameterCount], float sample_rate, const char* format,
                 size_t* out_length);
