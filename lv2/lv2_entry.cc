// The module's only export. Everything else is hidden (a version script on
// ELF, a .def list on Windows).
#include <lv2/core/lv2.h>

#include "lv2/lv2_plugin.h"

// [any thread]
LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? lv2_plugin_descriptor() : nullptr;
}
