// Prints the factory preset table as JSON ({"presets": per preset its name,
// category and the bit patterns of its 32 values as hexadecimal text}), so
// the page's generated list (presets.js) can be checked against it.
#include <stdio.h>
#include <string.h>

#include "engine/factory_presets.h"

int main(void) {
    printf("{\"presets\": [\n");
    for (uint32_t i = 0; i < kFactoryPresetCount; i++) {
        const FactoryPreset& p = kFactoryPresets[i];
        // Names and categories are plain ASCII without quotes (the engine
        // tests hold them to that), so they need no escaping here.
        printf("{\"name\":\"%s\",\"category\":\"%s\",\"bits\":[", p.name, p.category);
        for (uint32_t k = 0; k < kInputParameterCount; k++) {
            uint32_t bits;
            memcpy(&bits, &p.values[k], 4);
            printf("\"%08x\"%s", bits, k + 1 < kInputParameterCount ? "," : "");
        }
        printf("]}%s\n", i + 1 < kFactoryPresetCount ? "," : "");
    }
    printf("]}\n");
    return 0;
}
