// Writes the editor page's list of factory presets, presets.js, from the
// preset table, so the page offers exactly the presets both plug-in formats
// ship.
//
// usage: page_presets_gen OUT_FILE   [build time]
//
// A classic script assigning one global, OKA_PRESETS: per preset, in table
// order, its name, its category and the 32 values in parameter index order.
#include <stdio.h>
#include <stdlib.h>

#include "engine/factory_presets.h"
#include "webui/page_gen_js.h"

// The shortest decimal that reads back as the same float: the page rounds
// every value to a float (Math.fround) before it compares or sends it.
static void put_float(FILE* f, float x) {
    char text[40];
    for (int digits = 6; digits <= 9; ++digits) {
        snprintf(text, sizeof text, "%.*g", digits, (double)x);
        if (strtof(text, nullptr) == x)
            break;
    }
    fputs(text, f);
}

static bool write_presets(const char* path) {
    FILE* f = fopen(path, "wb");
    if (!f)
        return false;
    fprintf(f, "// Generated from the factory preset table at build time; edit the table.\n");
    fprintf(f, "window.OKA_PRESETS = [\n");
    for (uint32_t i = 0; i < kFactoryPresetCount; ++i) {
        const FactoryPreset& p = kFactoryPresets[i];
        fprintf(f, "  { name: ");
        put_js_string(f, p.name);
        fprintf(f, ", category: ");
        put_js_string(f, p.category);
        fprintf(f, ",\n    values: [");
        for (uint32_t k = 0; k < kInputParameterCount; ++k) {
            fprintf(f, k == 0 ? "" : k % 8 == 0 ? ",\n      " : ", ");
            put_float(f, p.values[k]);
        }
        fprintf(f, "] }%s\n", i + 1 < kFactoryPresetCount ? "," : "");
    }
    fprintf(f, "];\n");
    return fclose(f) == 0;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: page_presets_gen OUT_FILE\n");
        return 2;
    }
    if (!write_presets(argv[1])) {
        fprintf(stderr, "page_presets_gen: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
