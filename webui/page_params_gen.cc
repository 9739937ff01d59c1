// Writes the editor page's parameter list, params.js, from the parameter
// table, so the page cannot drift from the values the modules convert.
//
// usage: page_params_gen OUT_FILE   [build time]
//
// The page loads it as a classic script (it works from file: without a
// server), so the list is plain JavaScript assigning two globals:
//   OKA_PARAMS           one entry per index (0-31 writable, 32-35 outputs);
//                        flags: 1 Bypass, 2 Toggled, 4 Integer, 8 Logarithmic;
//                        steps: the host-side step count (0 = continuous)
//   OKA_SYNC_RATE_NAMES  the note names of lfo_sync_rate 1..24 (entry k - 1)
#include <stdio.h>
#include <stdlib.h>

#include "engine/parameter_names.h"
#include "engine/parameter_table.h"
#include "webui/page_gen_js.h"

// The shortest decimal that reads back as the same double, so the page
// computes with exactly the table's numbers.
static void put_number(FILE* f, double x) {
    char text[40];
    for (int digits = 15; digits <= 17; ++digits) {
        snprintf(text, sizeof text, "%.*g", digits, x);
        if (strtod(text, nullptr) == x)
            break;
    }
    fputs(text, f);
}

static void put_parameter(FILE* f, uint32_t index) {
    const ParameterRecord* r = parameter_record(index);
    const ParameterDescription* d = &kParameterDescriptions[index];
    fprintf(f, "  { index: %u, id: \"%s\", title: ", index, d->id);
    put_js_string16(f, d->title);
    fprintf(f, ", units: ");
    put_js_string16(f, d->units);
    fprintf(f, ", min: ");
    put_number(f, r->minimum);
    fprintf(f, ", max: ");
    put_number(f, r->maximum);
    fprintf(f, ", def: ");
    put_number(f, r->default_value);
    fprintf(f, ", flags: %u, steps: %d }%s\n", r->flags, (int)d->step_count,
            index + 1 < kParameterCount ? "," : "");
}

static bool write_params(const char* path) {
    FILE* f = fopen(path, "wb");
    if (!f)
        return false;
    fprintf(f, "// Generated from the parameter table at build time; edit the table.\n");
    fprintf(f, "window.OKA_PARAMS = [\n");
    for (uint32_t i = 0; i < kParameterCount; ++i)
        put_parameter(f, i);
    fprintf(f, "];\n\nwindow.OKA_SYNC_RATE_NAMES = [\n");
    for (uint32_t k = 1; k <= kSyncRateCount; ++k)
        fprintf(f, "  \"%s\"%s\n", sync_rate_name(k), k < kSyncRateCount ? "," : "");
    fprintf(f, "];\n");
    return fclose(f) == 0;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: page_params_gen OUT_FILE\n");
        return 2;
    }
    if (!write_params(argv[1])) {
        fprintf(stderr, "page_params_gen: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
