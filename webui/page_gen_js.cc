#include "webui/page_gen_js.h"

static void put_js_unit(FILE* f, unsigned c) {
    if (c == '"' || c == '\\')
        fprintf(f, "\\%c", (char)c);
    else if (c < 0x20 || c >= 0x7F)
        fprintf(f, "\\u%04x", c);
    else
        fputc((int)c, f);
}

void put_js_string(FILE* f, const char* text) {
    fputc('"', f);
    for (; *text; ++text)
        put_js_unit(f, (unsigned char)*text);
    fputc('"', f);
}

void put_js_string16(FILE* f, const char16_t* text) {
    fputc('"', f);
    for (; *text; ++text)
        put_js_unit(f, *text);
    fputc('"', f);
}
