// The restore procedure shared by both modules: all 32 values or nothing.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "engine/parameter_table.h"

// What a module hands to state_restore. The three functions run on the
// restoring thread. [non-audio threads]
typedef struct RestoreTarget {
    void* user_data;
    void (*lock)(void* user_data);   // takes the instance's parameter lock
    void (*unlock)(void* user_data); // releases it
    // Stores one plain value (index 0..31); the module converts and clamps.
    void (*set_parameter)(void* user_data, uint64_t index, float value);
} RestoreTarget;

// Parses and checks a saved state without applying it: the archive must
// read, info.map's "id" must be the plug-in id exactly, and each of the 32
// parameter ids must be present with a 4-byte value that is not NaN.
// Fills values[0..31] (index order) and returns 0 only when every check
// passed; otherwise returns -1 with errno EINVAL or ENOMEM and leaves
// `values` untouched. Values are not range-checked. [non-audio threads]
int state_read_values(const void* buffer, size_t length, float values[kInputParameterCount]);

// state_read_values, then lock, set indices 0..31 in order, unlock.
// Returns 0 when all 32 values were applied; -1 (errno EINVAL or ENOMEM)
// when the state was refused, in which case no target function was called.
// [non-audio threads]
int state_restore(const RestoreTarget* target, const void* buffer, size_t length);
