#include "docs/gen/guide_format.h"

#include <math.h>
#include <string.h>

#include "engine/parameter_names.h"
#include "engine/parameter_table.h"

void format_number(double v, char* out, size_t capacity) {
    // Round to hundredths in integers, so no binary fraction leaks into the
    // text; a value that rounds to zero has no sign ("-0" is false below).
    double hundredths = round(v * 100.0);
    const char* sign = hundredths < 0.0 ? "-" : "";
    unsigned long long h = (unsigned long long)fabs(hundredths);
    unsigned long long whole = h / 100;
    unsigned cents = (unsigned)(h % 100);
    if (cents == 0)
        snprintf(out, capacity, "%s%llu", sign, whole);
    else if (cents % 10 == 0)
        snprintf(out, capacity, "%s%llu.%u", sign, whole, cents / 10);
    else
        snprintf(out, capacity, "%s%llu.%02u", sign, whole, cents);
}

static void units_ascii(uint32_t index, char* out, size_t capacity) {
    size_t n = 0;
    for (const char16_t* u = kParameterDescriptions[index].units; *u && n + 1 < capacity; ++u)
        out[n++] = *u < 0x80 ? (char)*u : '?';
    out[n] = '\0';
}

static bool is_switch(uint32_t index) {
    return (parameter_record(index)->flags & (kParamToggled | kParamBypass)) != 0;
}

void format_value(uint32_t index, double plain, char* out, size_t capacity) {
    char number[48];
    format_number(plain, number, sizeof number);
    if (is_switch(index)) {
        snprintf(out, capacity, "%s", plain >= 0.5 ? "on" : "off");
    } else if (index == kLfoSyncRate && sync_rate_name((uint32_t)plain) != nullptr) {
        snprintf(out, capacity, "%s", sync_rate_name((uint32_t)plain));
    } else if (index == kLfoWaveform && plain == floor(plain) && waveform_name((uint32_t)plain)) {
        snprintf(out, capacity, "%s = %s", number, waveform_name((uint32_t)plain));
    } else {
        char units[16];
        units_ascii(index, units, sizeof units);
        snprintf(out, capacity, "%s%s%s", number, units[0] ? " " : "", units);
    }
}

void format_range(uint32_t index, char* out, size_t capacity) {
    const ParameterRecord* r = parameter_record(index);
    char low[64];
    char high[64];
    if (is_switch(index)) {
        snprintf(out, capacity, "off, on");
    } else if (index == kLfoSyncRate) {
        format_value(index, r->minimum, low, sizeof low);
        format_value(index, r->maximum, high, sizeof high);
        snprintf(out, capacity, "%s to %s", low, high);
    } else {
        // The unit once, after the upper end: "0 to 100 %".
        char units[16];
        format_number(r->minimum, low, sizeof low);
        format_number(r->maximum, high, sizeof high);
        units_ascii(index, units, sizeof units);
        snprintf(out, capacity, "%s to %s%s%s", low, high, units[0] ? " " : "", units);
    }
}

// A unit stays on the line of its number: "100 %", "5 ms", "-34 dBFS".
static bool is_unit(const char* word, size_t n) {
    static const char* const kUnits[] = {"%", "Hz", "ms", "dB", "dBFS"};
    size_t letters = 0;
    while (letters < n && word[letters] != ',' && word[letters] != ')' && word[letters] != '.' &&
           word[letters] != ';' && word[letters] != ':')
        ++letters;
    for (const char* unit : kUnits)
        if (strlen(unit) == letters && memcmp(word, unit, letters) == 0)
            return true;
    return false;
}

void put_wrapped(FILE* f, const char* text, const char* indent) {
    size_t column = 0;
    size_t indent_width = strlen(indent);
    while (*text) {
        while (*text == ' ')
            ++text;
        size_t word = strcspn(text, " ");
        if (word == 0)
            break;
        // A number and its unit go to the next line together.
        const char* next = text + word;
        while (*next == ' ')
            ++next;
        size_t unit = strcspn(next, " ");
        size_t width = *next && is_unit(next, unit) ? word + 1 + unit : word;
        if (column > 0 && column + 1 + width > kGuideLineWidth) {
            fprintf(f, "\n%s", indent);
            column = indent_width;
        } else if (column > 0) {
            fputc(' ', f);
            ++column;
        }
        fwrite(text, 1, word, f);
        column += word;
        text += word;
    }
    fputc('\n', f);
}

void format_title(uint32_t index, char* out, size_t capacity) {
    size_t n = 0;
    for (const char16_t* c = kParameterDescriptions[index].title; *c && n + 1 < capacity; ++c)
        out[n++] = *c < 0x80 ? (char)*c : '?';
    out[n] = '\0';
}
