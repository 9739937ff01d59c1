// The LV2 state interface: the whole state is one atom:Chunk property whose
// value is the saved-state byte string shared with the VST3 module.
#pragma once
#include <lv2/state/state.h>

#include "lv2/lv2_plugin.h"

// The interface handed out by extension_data. [any thread]
const LV2_State_Interface* lv2_state_interface(void);

// [non-audio threads]
LV2_State_Status lv2_state_save(LV2_Handle instance, LV2_State_Store_Function store,
                                LV2_State_Handle handle, uint32_t flags,
                                const LV2_Feature* const* features);
// [non-audio threads]
LV2_State_Status lv2_state_restore(LV2_Handle instance, LV2_State_Retrieve_Function retrieve,
                                   LV2_State_Handle handle, uint32_t flags,
                                   const LV2_Feature* const* features);
