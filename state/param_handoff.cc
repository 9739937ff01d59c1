#include "state/param_handoff.h"

#include <new>
#include <string.h>
#include <type_traits>

#include "state/state_restore.h"
#include "state/state_save.h"

static_assert(std::is_trivially_destructible<SpinLock>::value, "the lock needs no destruction");

// A NaN on either side counts as different. [any thread]
static bool value_differs(float a, float b) {
    return !(a == b);
}

void param_handoff_init(ParamHandoff* h) {
    memset(h->host_values, 0, sizeof h->host_values);
    memset(h->shared_values, 0, sizeof h->shared_values);
    new (&h->param_lock) SpinLock(0);
    h->params_in_sync = true;
    h->state_dirty = false;
}

void param_handoff_set_all(ParamHandoff* h, WahEngine* engine,
                           const float values[kInputParameterCount]) {
    spin_lock_acquire(&h->param_lock);
    for (uint32_t i = 0; i < kInputParameterCount; ++i) {
        h->host_values[i] = values[i];
        h->shared_values[i] = values[i];
        wah_engine_set_parameter(engine, i, values[i]);
    }
    h->params_in_sync = true;
    h->state_dirty = false;
    spin_lock_release(&h->param_lock);
}

// Brings the engine up to date after a non-audio holder of the lock touched
// the values. [audio thread, lock held]
static void reconcile(ParamHandoff* h, WahEngine* engine) {
    for (uint32_t i = 0; i < kInputParameterCount; ++i) {
        if (h->state_dirty) {
            h->host_values[i] = h->shared_values[i];
            wah_engine_set_parameter(engine, i, h->shared_values[i]);
        } else if (value_differs(h->host_values[i], h->shared_values[i])) {
            h->shared_values[i] = h->host_values[i];
            wah_engine_set_parameter(engine, i, h->host_values[i]);
        }
    }
    h->params_in_sync = true;
    h->state_dirty = false;
}

bool param_handoff_begin(ParamHandoff* h, WahEngine* engine, bool* reconciled) {
    bool locked = spin_lock_try(&h->param_lock);
    bool touched = locked && !h->params_in_sync;
    if (touched)
        reconcile(h, engine);
    if (reconciled != nullptr)
        *reconciled = touched;
    return locked;
}

void param_handoff_host_value(ParamHandoff* h, WahEngine* engine, uint32_t index, float value,
                              bool locked) {
    if (index >= kInputParameterCount || !value_differs(value, h->host_values[index]))
        return;
    h->host_values[index] = value;
    if (locked) {
        h->shared_values[index] = value;
        wah_engine_set_parameter(engine, index, value);
    }
}

void param_handoff_end(ParamHandoff* h, bool locked) {
    if (locked)
        spin_lock_release(&h->param_lock);
}

void param_handoff_lock(ParamHandoff* h) {
    spin_lock_acquire(&h->param_lock);
    h->params_in_sync = false;
}

void param_handoff_unlock(ParamHandoff* h) {
    spin_lock_release(&h->param_lock);
}

void param_handoff_saved_values(ParamHandoff* h, const WahEngine* engine,
                                float values[kInputParameterCount]) {
    param_handoff_lock(h);
    memcpy(values, h->state_dirty ? h->shared_values : engine->param_values,
           sizeof(float) * kInputParameterCount);
    param_handoff_unlock(h);
}

void* param_handoff_save(ParamHandoff* h, const WahEngine* engine, const char* format,
                         size_t* out_length) {
    float sample_rate = engine->sample_rate;
    float values[kInputParameterCount];
    param_handoff_saved_values(h, engine, values);
    return state_save(values, sample_rate, format, out_length);
}

// The restore target's user data: the hand-off and the module's conversion.
typedef struct HandoffRestore {
    ParamHandoff* handoff;
    HandoffRestoreConvert convert;
} HandoffRestore;

// [non-audio threads]
static void restore_lock(void* user) {
    param_handoff_lock(((HandoffRestore*)user)->handoff);
}

// [non-audio threads, lock held]
static void restore_unlock(void* user) {
    param_handoff_unlock(((HandoffRestore*)user)->handoff);
}

// Stores one restored value for the audio thread to apply. [non-audio
// threads, lock held]
static void restore_set(void* user, uint64_t index, float value) {
    HandoffRestore* r = (HandoffRestore*)user;
    if (index >= kInputParameterCount)
        return;
    r->handoff->shared_values[index] = r->convert((uint32_t)index, value);
    r->handoff->state_dirty = true;
}

int param_handoff_restore(ParamHandoff* h, const void* buffer, size_t length,
                          HandoffRestoreConvert convert) {
    HandoffRestore restore = {h, convert};
    RestoreTarget target = {&restore, restore_lock, restore_unlock, restore_set};
    return state_restore(&target, buffer, length);
}
