// The UI's export: beside the plug-in's lv2_descriptor in the Windows module,
// alone in the Linux UI module.
#include <lv2/core/lv2.h>

#include "lv2/lv2_ui.h"

// [any thread]
LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
    return index == 0 ? lv2_ui_descriptor() : nullptr;
}
