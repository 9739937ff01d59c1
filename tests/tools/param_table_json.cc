// Prints the parameter table as JSON ({"params": one object per index,
// "syncRateNames": the 24 note names}), so that what is generated from the
// table for the editor page (params.js) can be checked against it.
#include "engine/parameter_names.h"
#include "engine/parameter_table.h"

#include <stdio.h>

// The table's texts are ASCII; anything else would be printed as '?', which
// the comparison then reports.
static void print_utf16_as_json_string(const char16_t* text) {
    putchar('"');
    for (; *text; text++) {
        char16_t c = *text;
        if (c == '"' || c == '\\') {
            printf("\\%c", (char)c);
        } else {
            putchar(c >= 0x20 && c < 0x7F ? (char)c : '?');
        }
    }
    putchar('"');
}

int main(void) {
    printf("{\"params\": [\n");
    for (uint32_t i = 0; i < kParameterCount; i++) {
        const ParameterRecord* r = parameter_record(i);
        const ParameterDescription* d = &kParameterDescriptions[i];
        printf("{\"index\":%u,\"id\":\"%s\",\"title\":", i, d->id);
        print_utf16_as_json_string(d->title);
        printf(",\"units\":");
        print_utf16_as_json_string(d->units);
        printf(",\"min\":%.17g,\"max\":%.17g,\"def\":%.17g,\"flags\":%u,\"steps\":%d}%s\n",
               r->minimum, r->maximum, r->default_value, r->flags, d->step_count,
               i + 1 < kParameterCount ? "," : "");
    }
    printf("],\n\"syncRateNames\": [");
    for (uint32_t k = 1; k <= kSyncRateCount; k++)
        printf("\"%s\"%s", sync_rate_name(k), k < kSyncRateCount ? ", " : "]}\n");
    return 0;
}
