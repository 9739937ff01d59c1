// Prints the parameter table as JSON, one object per index, so that copies of
// the table kept outside C++ (the editor page's params.js) can be checked
// against it. [any thread]
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
    printf("[\n");
    for (uint32_t i = 0; i < kParameterCount; i++) {
        const ParameterRecord* r = parameterRecord(i);
        const ParameterDescription* d = &kParameterDescriptions[i];
        printf("{\"index\":%u,\"id\":\"%s\",\"title\":", i, d->id);
        print_utf16_as_json_string(d->title);
        printf(",\"units\":");
        print_utf16_as_json_string(d->units);
        printf(",\"min\":%.17g,\"max\":%.17g,\"def\":%.17g,\"flags\":%u,\"steps\":%d}%s\n",
               r->minimum, r->maximum, r->default_value, r->flags, d->step_count,
               i + 1 < kParameterCount ? "," : "");
    }
    printf("]\n");
    return 0;
}
