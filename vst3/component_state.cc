// Saving and restoring the component's state through the host's stream.
// Both run on a host thread other than the audio thread and hold the
// parameter lock only to copy the 32 values in or out.
#include <stdlib.h>
#include <string.h>

#include "state/state_archive.h"
#include "state/state_restore.h"
#include "state/state_save.h"
#include "vst3/vst3_component.h"
#include "vst3/vst3_stream.h"

// Spins for the lock, then marks the values as touched so the audio thread
// reconciles at its next block. [non-audio threads]
static void lock_params(void* user_data) {
    Vst3Component* c = (Vst3Component*)user_data;
    spin_lock_acquire(&c->param_lock);
    c->params_in_sync = false;
}

// [non-audio threads]
static void unlock_params(void* user_data) {
    spin_lock_release(&((Vst3Component*)user_data)->param_lock);
}

// Stores one restored value for the audio thread to apply. [non-audio
// threads, lock held]
static void restore_set_parameter(void* user_data, uint64_t index, float value) {
    Vst3Component* c = (Vst3Component*)user_data;
    if (index >= kInputParameterCount)
        return;
    c->shared_values[index] = (float)snapAndClamp((uint32_t)index, value);
    c->state_dirty = true;
}

tresult component_set_state(Vst3Component* c, IBStream* stream) {
    RestoreTarget target = {c, lock_params, unlock_params, restore_set_parameter};
    return restore_from_stream(stream, &target) ? kResultOk : kResultFalse;
}

// Saves the values the plug-in stands for. While a restore waits for the
// audio thread (state_dirty), the engine still holds the values from before
// it, so the restored ones are saved: a host that loads a project and saves
// it again before processing a block keeps the project.
tresult component_get_state(Vst3Component* c, IBStream* stream) {
    if (stream == nullptr)
        return kResultFalse;
    c->save_stream = stream;
    float sample_rate = c->engine.sample_rate;
    float values[kInputParameterCount];
    lock_params(c);
    memcpy(values, c->state_dirty ? c->shared_values : c->engine.param_values, sizeof values);
    unlock_params(c);
    size_t length = 0;
    void* bytes = state_save(values, sample_rate, OKA_STATE_FORMAT_VST3, &length);
    bool ok = bytes != nullptr && write_stream(stream, bytes, length);
    free(bytes);
    c->save_stream = nullptr;
    return ok ? kResultOk : kResultFalse;
}
