// The hand-off of parameter values between a plug-in instance's host threads
// and its audio thread, the same for both plug-in formats; each module adds
// only how its host delivers values (VST3 queues, LV2 control ports) and how
// it converts restored ones.
//
// The audio thread keeps host_values: the latest value the host gave each
// writable parameter. shared_values are the values the audio thread and the
// state's save and restore agree on. They, the two flags and the engine's
// stored values are guarded by param_lock whenever a thread other than the
// audio thread touches them. The audio thread never waits: it tries the lock
// once per use, and when it is busy the host's changes wait in host_values.
// Every non-audio holder clears params_in_sync, so the next block that gets
// the lock reconciles the two arrays; a restored state (state_dirty) wins
// over host changes received meanwhile.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "engine/parameter_table.h"
#include "engine/wah_engine.h"
#include "platform/spin_lock.h"

typedef struct ParamHandoff {
    float host_values[kInputParameterCount];   // audio thread only
    float shared_values[kInputParameterCount]; // guarded by param_lock
    SpinLock param_lock;                       // 0 free, 1 held
    bool params_in_sync;                       // guarded by param_lock
    bool state_dirty;                          // guarded by param_lock
} ParamHandoff;

// A module's conversion of a restored value into its plain value (snapping
// and clamping by the format's rules). [non-audio threads]
typedef float (*HandoffRestoreConvert)(uint32_t index, float value);

// Makes the lock (free) in memory that may be raw (calloc'd), values zero,
// flags in sync. Before any other thread can see the instance.
// [creating thread]
void param_handoff_init(ParamHandoff* h);

// Starts from `values` (index order): both arrays take them, the engine gets
// each in index order, flags in sync. Under the lock, so a concurrent save
// or restore sees all or nothing; the audio thread must not be running.
// [non-audio threads]
void param_handoff_set_all(ParamHandoff* h, WahEngine* engine,
                           const float values[kInputParameterCount]);

// ---- audio thread -----------------------------------------------------------

// Tries the lock once. When obtained and a non-audio holder touched the
// values, reconciles them into the engine and sets *reconciled (may be
// null). Returns true when the caller now holds the lock and must hand it to
// param_handoff_end. [audio thread]
bool param_handoff_begin(ParamHandoff* h, WahEngine* engine, bool* reconciled);

// The host's value for one writable parameter. Only a value that differs
// from host_values (a NaN always does) is taken: stored there, and with the
// lock also into shared_values and the engine. [audio thread]
void param_handoff_host_value(ParamHandoff* h, WahEngine* engine, uint32_t index, float value,
                              bool locked);

// Releases the lock when param_handoff_begin obtained it. [audio thread]
void param_handoff_end(ParamHandoff* h, bool locked);

// ---- state save and restore ---------------------------------------------------

// Spins for the lock, then clears params_in_sync. [non-audio threads]
void param_handoff_lock(ParamHandoff* h);
// [non-audio threads, lock held]
void param_handoff_unlock(ParamHandoff* h);

// The 32 values a save stores. While a restore still waits for the audio
// thread (state_dirty), the engine holds the values from before it, so the
// restored ones are copied: a host that loads a project and saves it before
// processing a block keeps the project. [non-audio threads]
void param_handoff_saved_values(ParamHandoff* h, const WahEngine* engine,
                                float values[kInputParameterCount]);

// The whole save: the engine's sample rate, the values above, the archive
// with `format` (OKA_STATE_FORMAT_VST3 or _LV2) built outside the lock.
// A new malloc'd buffer (caller frees) and its length, or null.
// [non-audio threads]
void* param_handoff_save(ParamHandoff* h, const WahEngine* engine, const char* format,
                         size_t* out_length);

// The whole restore: the state is checked first; only when it is complete
// are the 32 values, each through `convert`, put into shared_values under
// the lock, with state_dirty set for the next block. Returns 0, or -1 with
// nothing changed. [non-audio threads]
int param_handoff_restore(ParamHandoff* h, const void* buffer, size_t length,
                          HandoffRestoreConvert convert);
