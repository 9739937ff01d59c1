#include "lv2/lv2_state.h"

#include <stdlib.h>

#include "lv2/lv2_uris.h"
#include "state/state_archive.h"
#include "state/state_restore.h"
#include "state/state_save.h"

// Copies the values a save must store. While a restore is still waiting for
// the audio thread (state_dirty), the engine holds the old values and the
// restored ones are in shared_values: storing the engine's would lose them.
static float read_saved_values(Lv2Plugin* p, float values[kInputParameterCount]) {
    float sample_rate = p->engine.sample_rate;
    spin_lock_acquire(&p->param_lock);
    p->params_in_sync = 0;
    for (uint32_t i = 0; i < kInputParameterCount; ++i) {
        values[i] = p->state_dirty ? p->shared_values[i] : wah_engine_get_parameter(&p->engine, i);
    }
    spin_lock_release(&p->param_lock);
    return sample_rate;
}

LV2_State_Status lv2_state_save(LV2_Handle instance, LV2_State_Store_Function store,
                                LV2_State_Handle handle, uint32_t, const LV2_Feature* const*) {
    Lv2Plugin* p = (Lv2Plugin*)instance;
    if (!p->map) {
        lv2_log_error(&p->logger, "Host is trying to store state but didn't provide URID map\n");
        return LV2_STATE_ERR_UNKNOWN;
    }
    float values[kInputParameterCount];
    float sample_rate = read_saved_values(p, values);
    size_t length = 0;
    void* buffer = state_save(values, sample_rate, OKA_STATE_FORMAT_LV2, &length);
    if (!buffer) {
        return LV2_STATE_ERR_UNKNOWN;
    }
    LV2_State_Status st = store(handle, p->state_urid, buffer, length, p->chunk_urid,
                                LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
    free(buffer);
    return st == LV2_STATE_SUCCESS ? LV2_STATE_SUCCESS : LV2_STATE_ERR_UNKNOWN;
}

// The restore target: values go to shared_values, converted, and wait there
// for the audio thread's next block.
static void restore_lock(void* user) {
    Lv2Plugin* p = (Lv2Plugin*)user;
    spin_lock_acquire(&p->param_lock);
    p->params_in_sync = 0;
}

static void restore_unlock(void* user) {
    spin_lock_release(&((Lv2Plugin*)user)->param_lock);
}

static void restore_set(void* user, uint64_t index, float value) {
    Lv2Plugin* p = (Lv2Plugin*)user;
    if (index < kInputParameterCount) {
        p->shared_values[index] = lv2_state_to_plain((uint32_t)index, value);
        p->state_dirty = 1;
    }
}

LV2_State_Status lv2_state_restore(LV2_Handle instance, LV2_State_Retrieve_Function retrieve,
                                   LV2_State_Handle handle, uint32_t, const LV2_Feature* const*) {
    Lv2Plugin* p = (Lv2Plugin*)instance;
    if (!p->map) {
        lv2_log_error(&p->logger, "Host is trying to restore state but didn't provide URID map\n");
        return LV2_STATE_ERR_UNKNOWN;
    }
    size_t size = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
    const void* data = retrieve(handle, p->state_urid, &size, &type, &flags);
    if (!data) {
        lv2_log_error(&p->logger,
                      "Cannot restore state since property <%s> could not be retrieved\n",
                      OKA_LV2_STATE_URI);
        return LV2_STATE_ERR_NO_PROPERTY;
    }
    RestoreTarget target = {p, restore_lock, restore_unlock, restore_set};
    if (state_restore(&target, data, size) != 0) {
        return LV2_STATE_ERR_UNKNOWN;
    }
    return LV2_STATE_SUCCESS;
}

static const LV2_State_Interface kStateInterface = {lv2_state_save, lv2_state_restore};

const LV2_State_Interface* lv2_state_interface(void) {
    return &kStateInterface;
}
