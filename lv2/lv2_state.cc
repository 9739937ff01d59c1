#include "lv2/lv2_state.h"

#include <stdlib.h>

#include "lv2/lv2_uris.h"
#include "state/state_archive.h"

LV2_State_Status lv2_state_save(LV2_Handle instance, LV2_State_Store_Function store,
                                LV2_State_Handle handle, uint32_t, const LV2_Feature* const*) {
    Lv2Plugin* p = (Lv2Plugin*)instance;
    if (!p->map) {
        lv2_log_error(&p->logger, "Host is trying to store state but didn't provide URID map\n");
        return LV2_STATE_ERR_UNKNOWN;
    }
    size_t length = 0;
    void* buffer = param_handoff_save(&p->params, &p->engine, OKA_STATE_FORMAT_LV2, &length);
    if (!buffer) {
        return LV2_STATE_ERR_UNKNOWN;
    }
    LV2_State_Status st = store(handle, p->state_urid, buffer, length, p->chunk_urid,
                                LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
    free(buffer);
    return st == LV2_STATE_SUCCESS ? LV2_STATE_SUCCESS : LV2_STATE_ERR_UNKNOWN;
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
    // The values wait in the hand-off for the audio thread's next block.
    if (param_handoff_restore(&p->params, data, size, lv2_state_to_plain) != 0) {
        return LV2_STATE_ERR_UNKNOWN;
    }
    return LV2_STATE_SUCCESS;
}

static const LV2_State_Interface kStateInterface = {lv2_state_save, lv2_state_restore};

const LV2_State_Interface* lv2_state_interface(void) {
    return &kStateInterface;
}
